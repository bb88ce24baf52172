// What every command-line tool of this tree does the same way: the --help and
// --version options and the form of a report on standard error.
#ifndef ZU_TOOLS_TOOL_H
#define ZU_TOOLS_TOOL_H

#include <string>

// The version of the libraries and tools ("1.0.0").
const char *zu_tool_version();

// Answers --help (the usage text on standard output) and --version (the
// tool's name and version).  True when `arg` was one of them; the tool then
// ends with exit code 0.
bool zu_tool_answers(const char *arg, const char *name, const std::string &usage);

// A library's report (Shift-JIS) on standard error as "NAME: TEXT", converted
// to UTF-8 when `utf8`.
void zu_tool_report(const char *name, const char *sjis, bool utf8);

#endif
