# One place for the language level, warnings and Qt safety defines shared by every target.
include_guard(GLOBAL)

option(CHEQORA_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(CHEQORA_TSAN "Build with ThreadSanitizer" OFF)
option(CHEQORA_WERROR "Treat warnings as errors" OFF)
option(CHEQORA_FUZZ "Build only the parsers and their libFuzzer targets in fuzz/ (clang)" OFF)

add_library(cheqora_options INTERFACE)
target_compile_features(cheqora_options INTERFACE cxx_std_17)
set(CMAKE_CXX_EXTENSIONS OFF)
target_compile_options(cheqora_options INTERFACE -Wall -Wextra -Wpedantic)
if(CHEQORA_WERROR)
  target_compile_options(cheqora_options INTERFACE -Werror)
endif()
target_compile_definitions(cheqora_options INTERFACE
  QT_NO_CAST_FROM_ASCII
  QT_NO_CAST_TO_ASCII
  QT_NO_CAST_FROM_BYTEARRAY
  QT_NO_URL_CAST_FROM_STRING
  QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
  QT_NO_FOREACH
  QT_DISABLE_DEPRECATED_BEFORE=0x060000)
if(CHEQORA_SANITIZE)
  target_compile_options(cheqora_options INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(cheqora_options INTERFACE -fsanitize=address,undefined)
endif()
if(CHEQORA_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "CHEQORA_FUZZ needs clang (-DCMAKE_CXX_COMPILER=clang++) for libFuzzer")
  endif()
  # Qt's own checks in its inline code too: an index out of range stops the run as a finding.
  target_compile_definitions(cheqora_options INTERFACE QT_FORCE_ASSERTS)
  target_compile_options(cheqora_options INTERFACE -fsanitize=fuzzer-no-link,address,undefined
                         -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_link_options(cheqora_options INTERFACE -fsanitize=address,undefined)
endif()
if(CHEQORA_TSAN)
  target_compile_options(cheqora_options INTERFACE -fsanitize=thread -fno-omit-frame-pointer)
  target_link_options(cheqora_options INTERFACE -fsanitize=thread)
endif()

# Layers below the windows must not reach for widget or GUI headers; the check runs at configure time
# so that a stray include fails the build, not a reviewer.
function(cheqora_forbid_gui_includes target)
  get_target_property(_srcs ${target} SOURCES)
  get_target_property(_dir ${target} SOURCE_DIR)
  foreach(_src IN LISTS _srcs)
    if(NOT IS_ABSOLUTE "${_src}")
      set(_src "${_dir}/${_src}")
    endif()
    if(EXISTS "${_src}")
      file(STRINGS "${_src}" _bad REGEX "#[ \t]*include[ \t]*<(QtWidgets/|QtGui/|QWidget|QApplication|QGuiApplication|QMessageBox|QClipboard|QFileDialog|QScreen)")
      if(_bad)
        message(FATAL_ERROR "${_src} is in a non-GUI layer but includes a GUI header: ${_bad}")
      endif()
    endif()
  endforeach()
  get_target_property(_libs ${target} LINK_LIBRARIES)
  foreach(_lib IN LISTS _libs)
    if(_lib MATCHES "Qt6?::(Widgets|Gui)")
      message(FATAL_ERROR "${target} must not link ${_lib}")
    endif()
  endforeach()
endfunction()
