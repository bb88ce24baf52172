// Helpers shared by the tests.
#pragma once

#include <string>
#include <vector>

#include "base/report.h"

namespace zt {

// The scratch folder of this test executable (its working directory).
std::string work_dir();
// The folder that holds the built executables and libraries.
std::string bin_dir();
// A new, empty folder below the scratch folder.
std::string fresh_dir(const std::string &name);
std::string join(const std::string &dir, const std::string &name);

std::string read_file(const std::string &path);
void write_file(const std::string &path, const std::string &bytes);
bool exists(const std::string &path);
void remove_file(const std::string &path);

// Copies a built program (and on Windows the DLLs it needs) into `dir`;
// returns the copy's path.
std::string copy_program(const std::string &program, const std::string &dir);

// Runs a command line through the system's command interpreter with the
// environment variable `var` set to `value` (unset when value is null);
// returns the exit code.
int run(const std::string &command, const char *var = nullptr, const char *value = nullptr);

void set_env(const char *name, const char *value);  // value null: unset

// Message boxes shown on the desktop since the program started (Windows: a
// watcher thread presses OK on every box of any process and keeps its
// text, so that no box waits for a person; elsewhere always empty).
std::vector<std::string> boxes_seen();

// Runs `f`; returns the text of the report it raised, or "(none)".
template <class F>
std::string report_of(F &&f) {
    try {
        zu_call(f);
    } catch (char *m) {
        return m ? m : "(null)";
    }
    return "(none)";
}

}  // namespace zt
