#pragma once
// Where a rendered or saved file may go. A symbolic link is written through to its target (the
// link stays a link); a file the user could not write, one that belongs to someone else, or one
// that is one of the run's inputs is refused before anything is rendered, because replacing it
// would change what the user did not mean to change.

#include <string>
#include <vector>

class OutputTarget {
public:
    // The file to replace for `requested`: itself, or the file its symbolic link names. `what`
    // starts the messages ("cannot write <what><path>: ..."), e.g. "preset ".
    static bool resolve(const std::string& requested, const std::string& what,
                        std::string& target, std::string& error);
    // Refuses an output that is one of `inputs`, by name, symbolic link or hard link.
    static bool checkNotAnInput(const std::string& output, const std::vector<std::string>& inputs,
                                const std::string& what, std::string& error);
};
