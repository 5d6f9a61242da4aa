// libFuzzer target: a byte string becomes a sequence of host calls on one effect (dispatcher
// calls with host-shaped arguments, parameter sets and reads, processing blocks), run under
// the sanitizers. Guarded buffers catch writes outside what the host handed over.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "host/AEffect.h"
#include "plugin/VocoderEffect.h"
#include "tools/validate/GuardedBuffer.h"
#include "tools/validate/HostArguments.h"

namespace {

intptr_t VSTCALLBACK host(AEffect*, int32_t opcode, int32_t, intptr_t, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

// Reads the input front to back; past its end every read is zero.
class Bytes {
public:
    Bytes(const uint8_t* data, size_t size) : data(data), size(size) {}
    bool done() const { return at >= size; }
    uint8_t byte() { return at < size ? data[at++] : 0; }
    uint32_t word() {
        uint32_t w = 0;
        for (int i = 0; i < 4; i++) w = (w << 8) | byte();
        return w;
    }
    float real() {
        const uint32_t bits = word();
        float f;
        std::memcpy(&f, &bits, sizeof f);
        return f;
    }

private:
    const uint8_t* data;
    size_t size;
    size_t at = 0;
};

void require(bool ok, const char* what, int32_t opcode) {
    if (ok) return;
    std::fprintf(stderr, "%s (opcode %d)\n", what, opcode);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Bytes in(data, size);
    VocoderEffect* effect = new VocoderEffect(&host);
    AEffect* record = effect->getAeffect();
    GuardedBuffer buffer, valueBuffer;
    std::vector<std::vector<float>> channels(10, std::vector<float>(512));
    float* inputs[2] = {channels[0].data(), channels[1].data()};
    float* outputs[8];
    for (int c = 0; c < 8; c++) outputs[c] = channels[static_cast<size_t>(c) + 2].data();

    while (!in.done()) {
        switch (in.byte() % 4) {
            case 0: {
                const int32_t opcode = static_cast<int32_t>(in.byte() % 106) - 5;
                const int32_t index = static_cast<int8_t>(in.byte());
                intptr_t value = static_cast<int32_t>(in.word());
                const float opt = in.real();
                const uint8_t pointerChoice = in.byte();
                if (endsEffect(opcode)) break;
                buffer.reset();
                valueBuffer.reset();
                void* ptr = (pointerChoice & 1) ? nullptr : buffer.data();
                const PointerUse use = pointerUse(opcode);
                if (use == PointerUse::none) ptr = nullptr;
                if (use == PointerUse::text && ptr) {
                    char* text = static_cast<char*>(ptr);
                    const size_t length = in.byte() * 4u;
                    for (size_t i = 0; i < length; i++) text[i] = static_cast<char>(in.byte() | 1);
                    text[length] = '\0';
                }
                value =
                    shapeValue(opcode, value, (pointerChoice & 2) ? nullptr : valueBuffer.data(),
                               static_cast<intptr_t>(GuardedBuffer::kSize));
                record->dispatcher(record, opcode, index, value, ptr, opt);
                require(buffer.frontIntact() && buffer.backIntact() && valueBuffer.frontIntact() &&
                            valueBuffer.backIntact(),
                        "write outside the host's buffer", opcode);
                break;
            }
            case 1: {
                const int32_t index = static_cast<int8_t>(in.byte());
                record->setParameter(record, index, in.real());
                break;
            }
            case 2: record->getParameter(record, static_cast<int8_t>(in.byte())); break;
            case 3: {
                const int32_t frames = in.byte() * 2;
                const uint8_t absent = in.byte();
                float* outs[8];
                for (int c = 0; c < 8; c++) outs[c] = (absent >> c) & 1 ? nullptr : outputs[c];
                for (int c = 0; c < 2; c++)
                    for (int32_t k = 0; k < frames; k++)
                        inputs[c][k] = static_cast<float>(static_cast<int8_t>(in.byte())) / 128.0f;
                record->processReplacing(record, inputs, outs, frames);
                for (int c = 0; c < 8; c++)
                    for (int32_t k = 0; outs[c] && k < frames; k++)
                        require(std::isfinite(outs[c][k]), "non-finite output", -1);
                break;
            }
        }
    }
    record->dispatcher(record, effClose, 0, 0, nullptr, 0.0f);  // deletes the effect
    return 0;
}
