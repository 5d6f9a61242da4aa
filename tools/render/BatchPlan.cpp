#include "tools/render/BatchPlan.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>

namespace {

std::string baseName(const std::string& path) {
    const std::string::size_type slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::vector<std::string> fields(const std::string& line) {
    std::vector<std::string> parts;
    if (line.find('\t') != std::string::npos) {
        std::string part;
        std::istringstream stream(line);
        while (std::getline(stream, part, '\t')) parts.push_back(part);
        if (!line.empty() && line.back() == '\t') parts.push_back("");
    } else {
        std::istringstream stream(line);
        std::string part;
        while (stream >> part) parts.push_back(part);
    }
    return parts;
}

}  // namespace

std::string BatchPlan::outputFor(const std::string& modulatorPath, const std::string& directory,
                                 const std::string& format) {
    std::string name = baseName(modulatorPath);
    if (!format.empty()) {
        const std::string::size_type dot = name.find_last_of('.');
        name = (dot == std::string::npos || dot == 0 ? name : name.substr(0, dot)) + "." + format;
    }
    return (directory.size() > 1 && directory.back() == '/' ? directory.substr(0, directory.size() - 1)
                                                            : directory) +
           "/" + name;
}

bool BatchPlan::parsePairLine(const std::string& line, RenderJob& job, std::string& error) {
    error.clear();
    std::string text = line;
    if (!text.empty() && text.back() == '\r') text.pop_back();
    const std::string::size_type first = text.find_first_not_of(" \t");
    if (first == std::string::npos || text[first] == '#') return false;
    const std::vector<std::string> parts = fields(text);
    if (parts.size() != 3 || parts[0].empty() || parts[1].empty() || parts[2].empty()) {
        error = "needs a carrier, a modulator and an output, but has " +
                std::to_string(parts.size()) + " field(s)";
        return false;
    }
    job = RenderJob();
    job.carrierPath = parts[0];
    job.modulatorPath = parts[1];
    job.outputPath = parts[2];
    return true;
}

BatchPlan::Outcome BatchPlan::plan(const RenderOptions& options, std::vector<RenderJob>& jobs,
                                   std::string& error) {
    jobs.clear();
    if (!options.pairsPath.empty()) {
        std::ifstream list(options.pairsPath);
        if (!list) {
            error = "cannot read the pairs list " + options.pairsPath + ": " + std::strerror(errno);
            return Outcome::BadList;
        }
        std::string line;
        for (int number = 1; std::getline(list, line); ++number) {
            RenderJob job;
            if (parsePairLine(line, job, error)) {
                jobs.push_back(job);
            } else if (!error.empty()) {
                error = options.pairsPath + " line " + std::to_string(number) + " " + error;
                return Outcome::BadCommandLine;
            }
        }
        if (jobs.empty()) {
            error = "the pairs list " + options.pairsPath + " names no render";
            return Outcome::BadCommandLine;
        }
    } else {
        struct stat status;
        if (stat(options.outputDirectory.c_str(), &status) != 0 || !S_ISDIR(status.st_mode)) {
            error = "--out-dir " + options.outputDirectory + " is not a directory";
            return Outcome::BadCommandLine;
        }
        for (const std::string& modulator : options.modulatorPaths) {
            RenderJob job;
            job.carrierPath = options.carrierPath;
            job.modulatorPath = modulator;
            job.outputPath = outputFor(modulator, options.outputDirectory, options.outputFormat);
            jobs.push_back(job);
        }
    }
    // Two renders into one file would leave whichever finished last.
    std::map<std::string, std::string> firstFor;
    for (const RenderJob& job : jobs) {
        auto known = firstFor.emplace(job.outputPath, job.modulatorPath);
        if (!known.second) {
            error = "two renders would write " + job.outputPath + " (from " +
                    known.first->second + " and " + job.modulatorPath + ")";
            return Outcome::BadCommandLine;
        }
    }
    return Outcome::Planned;
}
