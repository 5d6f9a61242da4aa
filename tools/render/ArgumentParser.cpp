#include "tools/render/ArgumentParser.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <set>

namespace {

// Rates libsndfile's formats and libsoxr both take.
constexpr long kLowestRate = 1000;
constexpr long kHighestRate = 768000;

bool parseInteger(const std::string& text, long minimum, long maximum, int& result) {
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    long value = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || value < minimum || value > maximum) return false;
    result = static_cast<int>(value);
    return true;
}

bool parseOutputs(const std::string& text, OutputSelection& result) {
    if (text == "mix")
        result = OutputSelection::Mix;
    else if (text == "error")
        result = OutputSelection::Error;
    else if (text == "carrier")
        result = OutputSelection::Carrier;
    else if (text == "modulator")
        result = OutputSelection::Modulator;
    else if (text == "all")
        result = OutputSelection::All;
    else
        return false;
    return true;
}

// A batch is one carrier with modulators and --out-dir, or a pairs list alone.
bool checkBatch(const RenderOptions& options, std::string& error) {
    const bool single = !options.modulatorPath.empty() || !options.inputPath.empty() ||
                        !options.outputPath.empty();
    if (!options.pairsPath.empty()) {
        if (single || !options.carrierPath.empty() || !options.outputDirectory.empty() ||
            !options.modulatorPaths.empty()) {
            error = "--pairs names every carrier, modulator and output itself: give it alone";
            return false;
        }
    } else if (single) {
        error = "a batch takes --carrier, --out-dir and modulators; leave out " +
                std::string(!options.outputPath.empty() ? "-o"
                            : !options.inputPath.empty() ? "--input"
                                                         : "--modulator");
        return false;
    } else if (options.carrierPath.empty() || options.outputDirectory.empty() ||
               options.modulatorPaths.empty()) {
        error = options.carrierPath.empty()      ? "a batch needs --carrier FILE"
                : options.outputDirectory.empty() ? "a batch needs --out-dir DIR for its outputs"
                                                  : "--out-dir needs modulator files to render";
        return false;
    }
    if (options.listParams) {
        error = "--list-params renders nothing: give it without batch inputs";
        return false;
    }
    if (!options.savePresetPath.empty() || !options.saveBankPath.empty()) {
        error = "--save-preset and --save-bank save one render's settings: not in a batch";
        return false;
    }
    return true;
}

}  // namespace

std::string ArgumentParser::usage() {
    return "Usage: ostraquelle-render --carrier FILE --modulator FILE -o OUT [options]\n"
           "       ostraquelle-render --input STEREO_FILE -o OUT [options]\n"
           "       ostraquelle-render --carrier FILE --out-dir DIR MODULATOR... [options]\n"
           "       ostraquelle-render --pairs LIST [options]\n"
           "       ostraquelle-render --list-params [--program N] [--set NAME=VALUE ...]\n"
           "       ostraquelle-render --save-preset FILE | --save-bank FILE [settings]\n"
           "\n"
           "Renders audio files offline through a VST 2.x vocoder plug-in (by default the\n"
           "Ostraquelle.so built beside this program).\n"
           "\n"
           "Input:\n"
           "  --carrier FILE       carrier signal (plug-in input 0)\n"
           "  --modulator FILE     modulator signal, e.g. speech (plug-in input 1)\n"
           "  --input FILE         one stereo file: left = carrier, right = modulator\n"
           "                       Any format libsndfile reads (WAV, FLAC, OGG, AIFF, ...).\n"
           "                       Multi-channel carrier/modulator files are mixed to mono;\n"
           "                       the shorter input is padded with silence to the other's\n"
           "                       length. Inputs at other rates are converted (libsoxr, very\n"
           "                       high quality) to the carrier's rate or to --rate.\n"
           "Batch:\n"
           "  --out-dir DIR        render every MODULATOR given after the options against the\n"
           "                       carrier, each into DIR under the modulator's file name\n"
           "  --out-format EXT     the batch outputs' format (wav, flac, ...); default: the\n"
           "                       modulator's own extension\n"
           "  --pairs LIST         a text file with one render per line: carrier, modulator and\n"
           "                       output separated by tabs (or by spaces when no name has one)\n"
           "  --jobs N             renders at once (default: one per core)\n"
           "Settings:\n"
           "  --plugin PATH        plug-in to load (default: Ostraquelle.so beside this program)\n"
           "  --program N          select program N before applying --set\n"
           "  --set NAME=VALUE     set a parameter by its name to a normalised value 0..1,\n"
           "                       e.g. --set Pred-Order=0.5, or to a value in its own units\n"
           "                       written with its label: Env-Att=5ms, Voco-Vol=-6dB,\n"
           "                       Whiten=on (repeatable)\n"
           "  --preset FILE        load a preset file a host saved: a .fxp program goes into\n"
           "                       the program --program selects (or the current one); a .fxb\n"
           "                       bank replaces every program and selects its current one\n"
           "                       before --program. --set applies after either.\n"
           "  --save-preset FILE   write the current program as used by the render (.fxp)\n"
           "  --save-bank FILE     write all programs (.fxb); without input files the\n"
           "                       settings are saved and nothing is rendered\n"
           "  --list-params        print index, name, display text and label of every\n"
           "                       parameter (after --program and --set) and exit\n"
           "  --block-size N       frames per processing call (default 512)\n"
           "  --rate HZ            render at this rate, converting the inputs to it (default:\n"
           "                       the carrier's rate; 44100 for --list-params); also\n"
           "                       --sample-rate\n"
           "Output:\n"
           "  -o, --output FILE    output file; the format follows the extension\n"
           "                       (.wav .flac .ogg .aiff .au .caf .w64 ...)\n"
           "  --outputs WHICH      mix (default), error, carrier, modulator: one MONO file\n"
           "                       holding that output pair's signal (both channels of a pair\n"
           "                       carry the same signal); all: every plug-in output, one\n"
           "                       channel each (8 channels for Ostraquelle)\n"
           "  --bits 16|24         integer PCM, rounded without dither, clipped samples\n"
           "                       counted; default 32-bit float (24-bit for formats without\n"
           "                       float, such as FLAC)\n"
           "  -q, --quiet          no progress bar and no summary line\n"
           "  -h, --help           this text\n"
           "  --version            the version of this program\n"
           "\n"
           "Exit status: 0 on success, 1 on a failed render (in a batch: when any failed),\n"
           "2 on a bad command line (an unknown option, parameter or program included).\n";
}

bool ArgumentParser::parse(int argc, const char* const* argv, RenderOptions& options,
                           std::string& error) {
    options = RenderOptions();
    std::set<std::string> given;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        // Not an option: a modulator of a batch.
        if (arg.empty() || arg[0] != '-' || arg == "-") {
            options.modulatorPaths.push_back(arg);
            if (arg.empty()) {
                error = "an empty file name among the modulators";
                return false;
            }
            continue;
        }
        std::string value;
        bool hasInlineValue = false;
        if (arg.size() > 2 && arg.compare(0, 2, "--") == 0) {
            std::string::size_type equals = arg.find('=');
            if (equals != std::string::npos) {
                value = arg.substr(equals + 1);
                arg = arg.substr(0, equals);
                hasInlineValue = true;
            }
        }
        // Only --set may come more than once; a second value of anything else would silently
        // override the first.
        const std::string canonical = arg == "-o" ? "--output" : arg == "-q" ? "--quiet"
                                      : arg == "-h"                       ? "--help"
                                      : arg == "--sample-rate"            ? "--rate"
                                                                          : arg;
        if (canonical != "--set" && !given.insert(canonical).second) {
            error = "option " + arg + " given twice";
            return false;
        }
        auto takeValue = [&](std::string& out) {
            if (hasInlineValue) {
                out = value;
            } else if (i + 1 >= argc) {
                error = "option " + arg + " needs a value";
                return false;
            } else {
                out = argv[++i];
            }
            if (out.empty()) {
                error = "option " + arg + " needs a value, not an empty one";
                return false;
            }
            return true;
        };
        auto noValue = [&]() {
            if (!hasInlineValue) return true;
            error = "option " + arg + " takes no value";
            return false;
        };

        std::string text;
        if (arg == "-h" || arg == "--help") {
            if (!noValue()) return false;
            options.help = true;
        } else if (arg == "-q" || arg == "--quiet") {
            if (!noValue()) return false;
            options.quiet = true;
        } else if (arg == "--list-params") {
            if (!noValue()) return false;
            options.listParams = true;
        } else if (arg == "--version") {
            if (!noValue()) return false;
            options.version = true;
        } else if (arg == "--preset") {
            if (!takeValue(options.presetPath)) return false;
        } else if (arg == "--save-preset") {
            if (!takeValue(options.savePresetPath)) return false;
        } else if (arg == "--save-bank") {
            if (!takeValue(options.saveBankPath)) return false;
        } else if (arg == "--carrier") {
            if (!takeValue(options.carrierPath)) return false;
        } else if (arg == "--modulator") {
            if (!takeValue(options.modulatorPath)) return false;
        } else if (arg == "--input") {
            if (!takeValue(options.inputPath)) return false;
        } else if (arg == "-o" || arg == "--output") {
            if (!takeValue(options.outputPath)) return false;
        } else if (arg == "--plugin") {
            if (!takeValue(options.pluginPath)) return false;
        } else if (arg == "--out-dir") {
            if (!takeValue(options.outputDirectory)) return false;
        } else if (arg == "--out-format") {
            if (!takeValue(options.outputFormat)) return false;
            if (options.outputFormat[0] == '.') options.outputFormat.erase(0, 1);
        } else if (arg == "--pairs") {
            if (!takeValue(options.pairsPath)) return false;
        } else if (arg == "--jobs") {
            if (!takeValue(text)) return false;
            if (!parseInteger(text, 1, 1024, options.jobs)) {
                error = "--jobs needs a whole number from 1 to 1024, not '" + text + "'";
                return false;
            }
        } else if (arg == "--program") {
            if (!takeValue(text)) return false;
            if (!parseInteger(text, 0, 1000000, options.program)) {
                error = "--program needs a program number (0, 1, ...), not '" + text + "'";
                return false;
            }
        } else if (arg == "--set") {
            if (!takeValue(text)) return false;
            std::string::size_type equals = text.rfind('=');
            if (equals == std::string::npos || equals == 0) {
                error = "--set needs NAME=VALUE, not '" + text + "'";
                return false;
            }
            options.settings.push_back({text.substr(0, equals), text.substr(equals + 1)});
        } else if (arg == "--block-size") {
            if (!takeValue(text)) return false;
            if (!parseInteger(text, 1, 65536, options.blockSize)) {
                error = "--block-size needs a whole number from 1 to 65536, not '" + text + "'";
                return false;
            }
        } else if (arg == "--rate" || arg == "--sample-rate") {
            if (!takeValue(text)) return false;
            int rate = 0;
            if (!parseInteger(text, kLowestRate, kHighestRate, rate)) {
                error = arg + " needs a whole number of Hz from " + std::to_string(kLowestRate) +
                        " to " + std::to_string(kHighestRate) + ", not '" + text + "'";
                return false;
            }
            options.sampleRate = rate;
        } else if (arg == "--outputs") {
            if (!takeValue(text)) return false;
            if (!parseOutputs(text, options.outputs)) {
                error =
                    "--outputs must be mix, error, carrier, modulator or all, not '" + text + "'";
                return false;
            }
        } else if (arg == "--bits") {
            if (!takeValue(text)) return false;
            if (text == "16" || text == "24") {
                options.bits = std::atoi(text.c_str());
            } else if (text == "32") {
                options.bits = 0;  // the float default, spelt out
            } else {
                error = "--bits must be 16 or 24 (32-bit float is the default), not '" + text + "'";
                return false;
            }
        } else {
            error = "unknown option '" + std::string(argv[i]) + "' (see --help)";
            return false;
        }
    }

    if (options.help || options.version) return true;
    const bool batch = !options.outputDirectory.empty() || !options.pairsPath.empty() ||
                       !options.modulatorPaths.empty();
    if (batch) return checkBatch(options, error);
    if (!options.outputFormat.empty() || options.jobs != 0) {
        error = std::string(options.jobs != 0 ? "--jobs" : "--out-format") +
                " belongs to a batch: give --out-dir with modulators, or --pairs";
        return false;
    }
    bool pair = !options.carrierPath.empty() || !options.modulatorPath.empty();
    if (pair && !options.inputPath.empty()) {
        error = "give either --input or --carrier and --modulator, not both";
        return false;
    }
    if (options.listParams) return true;
    bool saving = !options.savePresetPath.empty() || !options.saveBankPath.empty();
    if (saving && !pair && options.inputPath.empty() && options.outputPath.empty()) return true;
    if (!pair && options.inputPath.empty()) {
        error = "no input: give --carrier and --modulator, or --input (see --help)";
        return false;
    }
    if (pair && options.carrierPath.empty()) {
        error = "--modulator needs a --carrier too";
        return false;
    }
    if (pair && options.modulatorPath.empty()) {
        error = "--carrier needs a --modulator too";
        return false;
    }
    if (options.outputPath.empty()) {
        error = "no output file: give -o FILE";
        return false;
    }
    return true;
}
