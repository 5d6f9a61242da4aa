#include "tools/render/TemporaryFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

std::string directoryOf(const std::string& path) {
    std::string::size_type slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

int createTemporaryBeside(const std::string& path, const std::string& what, const char* namePrefix,
                          std::string& temporary, std::string& error) {
    struct stat status;
    if (stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode)) {
        error = "cannot write " + what + path + ": it is a directory";
        return -1;
    }
    std::string pattern = directoryOf(path) + "/" + namePrefix + "XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    int descriptor = mkstemp(name.data());
    if (descriptor < 0) {
        // The new file is made in the folder, so a refusal there is the folder's, not the file's.
        const int reason = errno;
        const bool folder = reason == EACCES || reason == EPERM || reason == EROFS;
        error = "cannot write " + what + path + ": " +
                (folder ? "its folder " + directoryOf(path) + " is not writable (" +
                              std::strerror(reason) + ")"
                        : std::strerror(reason));
        return -1;
    }
    temporary = name.data();
    return descriptor;
}

void takeOverOwnerAndMode(int descriptor, const std::string& target) {
    struct stat previous;
    if (stat(target.c_str(), &previous) != 0) {
        mode_t mask = umask(0);
        umask(mask);
        fchmod(descriptor, 0666 & ~mask);
        return;
    }
    if (geteuid() == 0 && (previous.st_uid != 0 || previous.st_gid != 0)) {
        if (fchown(descriptor, previous.st_uid, previous.st_gid) != 0) {
            // The owner stays ours; the permissions below still hold.
        }
    }
    fchmod(descriptor, previous.st_mode & 07777);
}
