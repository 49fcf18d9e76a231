#pragma once

// The command line of cheqora-cli: a command, its options and arguments, checked before anything runs.

#include "foldercomparison.h"

#include <QString>
#include <QStringList>

namespace cli {

enum class Command { Digest, Compare, List, Check };

struct Arguments {
    Command command = Command::Digest;
    QStringList files;               // digest: the files, in the order given; check: the list
    cheqora::CompareOptions options; // compare: folders, report and options; list: oldFolder and options
    QString output;               // list: -o FILE; "" = standard output
    bool force = false;              // list: --force, FILE replaced even when it is not a digest list
    int jobs = 0;                 // --jobs; 0 when not given
    bool quiet = false;           // --quiet: no progress line; check: no OK lines
    bool ignoreMissing = false;   // check: --ignore-missing
    bool strict = false;          // check: --strict
};

// Either arguments to run, or what to print instead (help and version on stdout, a complaint on
// stderr) with the exit status that goes with it.
struct ParsedCommandLine {
    bool run = false;
    Arguments args;
    QString out;
    QString err;
    int exitCode = 0;
};

// arguments: the command line without the program's name.
ParsedCommandLine parseCommandLine(const QStringList &arguments);

// The list command (cli_list.cpp); its exit status.
int listCommand(Arguments &args);
// The check command (cli_check.cpp); its exit status.
int checkCommand(Arguments &args);

} // namespace cli
