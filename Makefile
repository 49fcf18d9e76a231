# One-command entry points. Both install what is missing (Debian, as root), configure with CMake and
# Ninja, and build; `run` then starts the program, `test` runs every test through CTest.
BUILD ?= build
BUILD_TYPE ?= RelWithDebInfo
CMAKE_FLAGS ?=
PACKAGES := cmake ninja-build g++ qt6-base-dev libgl-dev libssl-dev xvfb xauth xdotool x11-apps netpbm \
            fonts-dejavu-core diffutils coreutils procps libqt6svg6 clang libclang-rt-dev llvm
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: all deps configure build run test e2e asan tsan fuzz bench install package clean mutants ratio

all: build

deps:
	@missing=""; \
	for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'install ok installed' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  $(SUDO) apt-get update && DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y --no-install-recommends $$missing; \
	fi

# CI builds with warnings as errors; a local build only shows them.
WERROR := $(if $(CI),-DCHEQORA_WERROR=ON)
# ccache, where the machine has it, makes rebuilds of other checkouts cheap.
LAUNCHER := $(if $(shell command -v ccache),-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

configure: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(LAUNCHER) $(WERROR) $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD)

run: build
	./$(BUILD)/bin/cheqora

test: build
	cd $(BUILD) && ctest --output-on-failure --timeout 300 -j2

# The real program under Xvfb: a comparison clicked from the keyboard, its viewer photographed and its
# report checked against cheqora-cli's.
e2e: build
	bash scripts/e2e.sh $(BUILD)

# Tests under AddressSanitizer and UndefinedBehaviorSanitizer, in a build folder of their own.
asan:
	$(MAKE) test BUILD=build-asan BUILD_TYPE=Debug CMAKE_FLAGS=-DCHEQORA_SANITIZE=ON

# The comparison's tests, whose digests run on worker threads, under ThreadSanitizer.
TSAN_TESTS := tst_pipeline tst_foldercomparison tst_cli
tsan:
	$(MAKE) configure BUILD=build-tsan BUILD_TYPE=Debug CMAKE_FLAGS=-DCHEQORA_TSAN=ON
	cmake --build build-tsan --target cheqora-cli $(TSAN_TESTS)
	cd build-tsan && TSAN_OPTIONS="halt_on_error=1 die_after_fork=0 suppressions=$(CURDIR)/scripts/tsan.supp" \
	  ctest --output-on-failure --timeout 900 \
	  -R '^($(subst $(eval) ,|,$(TSAN_TESTS)))$$'

# Each parser of what others write (digest lists, state file, text catalogue, command line) under
# libFuzzer with ASan and UBSan, built with clang in build-fuzz/; each runs FUZZ_SECONDS and prints
# its runs, coverage and findings.
FUZZ_SECONDS ?= 60
fuzz: deps
	cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE= -DCMAKE_CXX_FLAGS="-O1 -g" \
	  -DCHEQORA_FUZZ=ON -DCHEQORA_BUILD_TESTS=OFF $(LAUNCHER)
	cmake --build build-fuzz
	bash fuzz/run.sh build-fuzz $(FUZZ_SECONDS)

bench: build
	@$(MAKE) --no-print-directory deps PACKAGES="hashdeep"
	bash bench/run_all.sh $(BUILD)

# Seeded faults, one at a time: which of them the test suite catches (slow; not part of `test`).
mutants: deps
	bash scripts/mutants.sh

ratio:
	@bash scripts/test_ratio.sh

install: build
	cmake --install $(BUILD)

# The Debian package from CPack; dpkg-shlibdeps (dpkg-dev) and file compute its Depends line. The
# script then unpacks it into a scratch root and runs the installed programs from there, and has
# lintian and appstreamcli check the package and its metadata.
package: build
	@$(MAKE) --no-print-directory deps PACKAGES="dpkg-dev file lintian appstream desktop-file-utils"
	rm -f $(BUILD)/cheqora_*.deb
	cd $(BUILD) && cpack -G DEB
	bash scripts/check_package.sh $(BUILD)

clean:
	rm -rf $(BUILD) build-asan build-tsan build-fuzz
