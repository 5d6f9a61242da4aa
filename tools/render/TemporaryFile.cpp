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
        error = "cannot write " + what + path + ": " + std::strerror(errno);
        return -1;
    }
    temporary = name.data();
    return descriptor;
}
