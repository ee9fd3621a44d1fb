#include "host/render.h"

#include <algorithm>
#include <vector>

#include "host/audio_io.h"
#include "host/plugin_instance.h"
#include "host/progress.h"

int64_t renderAll(PluginInstance& plugin, AudioSource& source, const std::function<void(const BlockView&)>& onInput,
                  const std::function<void(const BlockView&)>& onOutput, ProgressBar* progress) {
    const auto block = static_cast<size_t>(plugin.blockSize());
    std::vector<float> inL(block), inR(block), outL(block), outR(block);
    std::vector<float> keepL(block), keepR(block);
    plugin.start();
    int64_t done = 0;
    for (;;) {
        const int n = static_cast<int>(source.read(inL.data(), inR.data(), static_cast<int64_t>(block)));
        if (n <= 0) break;
        const BlockView before{inL.data(), inR.data(), nullptr, nullptr, n};
        if (onInput) onInput(before);
        if (onOutput) {
            std::copy_n(inL.data(), n, keepL.data());
            std::copy_n(inR.data(), n, keepR.data());
        }
        plugin.process(inL.data(), inR.data(), outL.data(), outR.data(), n);
        if (onOutput) onOutput({keepL.data(), keepR.data(), outL.data(), outR.data(), n});
        done += n;
        if (progress != nullptr) progress->update(done);
    }
    plugin.stop();
    return done;
}
