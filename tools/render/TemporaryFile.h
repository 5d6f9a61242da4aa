#pragma once

#include <string>

// A new, empty temporary file in the directory of `path`, so that renaming it onto `path`
// later stays on one file system and is atomic. Refuses a `path` that is a directory. On
// success returns the open descriptor and sets `temporary`; on failure returns -1 and sets
// `error` to "cannot write <what><path>: <reason>".
int createTemporaryBeside(const std::string& path, const std::string& what, const char* namePrefix,
                          std::string& temporary, std::string& error);

// Gives the temporary file `descriptor` what the file it replaces at `target` had: its
// permissions and (where we may, as root) its owner and group; for a new file, the permissions
// a new file gets (mkstemp creates it for its owner only).
void takeOverOwnerAndMode(int descriptor, const std::string& target);
