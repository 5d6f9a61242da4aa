#include "tools/render/OutputTarget.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

// The file a symbolic link finally names; empty when that file does not exist.
std::string resolvedLinkTarget(const std::string& link) {
    char buffer[PATH_MAX];
    if (realpath(link.c_str(), buffer) == nullptr) return "";
    return buffer;
}

}  // namespace

bool OutputTarget::resolve(const std::string& requested, const std::string& what,
                           std::string& target, std::string& error) {
    target = requested;
    struct stat status;
    if (lstat(requested.c_str(), &status) != 0) return true;  // a new file
    if (S_ISLNK(status.st_mode)) {
        target = resolvedLinkTarget(requested);
        if (target.empty()) {
            error = "cannot write " + what + requested +
                    ": it is a symbolic link to a file that does not exist";
            return false;
        }
        if (stat(target.c_str(), &status) != 0) return true;
    }
    if (S_ISDIR(status.st_mode)) {
        error = "cannot write " + what + requested + ": it is a directory";
        return false;
    }
    if (!S_ISREG(status.st_mode)) {
        error = "cannot write " + what + requested +
                ": it is not a regular file (a device, pipe or socket is never replaced)";
        return false;
    }
    // Marked read-only, it stays so even for root, who may write anything.
    if (access(target.c_str(), W_OK) != 0 || (status.st_mode & 0222) == 0) {
        error = "cannot write " + what + requested + ": the file is read-only; it is left as it is";
        return false;
    }
    // The new file replaces the old one by a rename, and would belong to us: a file of another
    // user that we may write (a shared folder) would change hands. Root hands it back.
    if (geteuid() != 0 && status.st_uid != geteuid()) {
        error = "cannot write " + what + requested +
                ": it belongs to another user, and replacing it would make it yours";
        return false;
    }
    return true;
}

bool OutputTarget::checkNotAnInput(const std::string& output,
                                   const std::vector<std::string>& inputs, const std::string& what,
                                   std::string& error) {
    struct stat outputStatus;
    const bool outputExists = stat(output.c_str(), &outputStatus) == 0;
    for (const std::string& input : inputs) {
        if (input.empty()) continue;
        struct stat inputStatus;
        const bool same = input == output ||
                          (outputExists && stat(input.c_str(), &inputStatus) == 0 &&
                           inputStatus.st_dev == outputStatus.st_dev &&
                           inputStatus.st_ino == outputStatus.st_ino);
        if (same) {
            error = "cannot write " + what + output + ": it is the input " + input +
                    ", which the run reads";
            return false;
        }
    }
    return true;
}
