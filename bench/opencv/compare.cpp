// Side by side: each per-frame export against the OpenCV chain a camera-software engineer
// would otherwise write for the same job, in one process, on one core. Ours and OpenCV's
// runs alternate in rounds, so a busy machine slows both alike; the table gives the medians
// of the rounds in thread CPU time, their ratio, the page faults per call of our export in
// steady state, and whether our output has the same bits at every instruction-set level.
//
//   kmm_compare [--rounds N] [--filter TEXT]
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include "KModuleMeasure.h"
#include "correction_record.h"
#include "kernels/simd_level.h"
#include "temperature_scene.h"
#include "y16_scene.h"

namespace {

double threadSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

long minorFaults() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_minflt;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

struct Case {
    std::string name;
    int32_t width, height;
    double aim;                                // largest ratio we accept
    std::function<void()> ours, theirs;        // one call each
    std::function<std::vector<uint8_t>()> output;  // our output bytes, for the level check
};

struct Timing {
    double ours, theirs, faultsPerCall;
};

// Seconds per call of f, over enough calls to last about 20 ms.
double perCall(const std::function<void()>& f, int calls) {
    const double start = threadSeconds();
    for (int i = 0; i < calls; ++i) f();
    return (threadSeconds() - start) / calls;
}

Timing measure(const Case& c, int rounds) {
    c.ours();
    c.theirs();  // warm: tables built, buffers allocated, pages in
    const int oursCalls = std::max(1, int(0.02 / std::max(perCall(c.ours, 1), 1e-7)));
    const int theirCalls = std::max(1, int(0.02 / std::max(perCall(c.theirs, 1), 1e-7)));
    std::vector<double> ours, theirs;
    long faults = 0, calls = 0;
    for (int r = 0; r < rounds; ++r) {
        const long before = minorFaults();
        ours.push_back(perCall(c.ours, oursCalls));
        faults += minorFaults() - before;
        calls += oursCalls;
        theirs.push_back(perCall(c.theirs, theirCalls));
    }
    return {median(ours), median(theirs), double(faults) / double(calls)};
}

bool sameAtEveryLevel(const Case& c) {
    std::vector<std::vector<uint8_t>> outputs;
    for (kmm::SimdLevel level : kmm::supportedSimdLevels()) {
        kmm::ScopedSimdLevel scope(level);
        outputs.push_back(c.output());
    }
    return std::all_of(outputs.begin(), outputs.end(),
                       [&](const auto& o) { return o == outputs.front(); });
}

template <class T>
std::vector<uint8_t> bytesOf(const std::vector<T>& v, std::initializer_list<float> extra = {}) {
    std::vector<uint8_t> out(reinterpret_cast<const uint8_t*>(v.data()),
                             reinterpret_cast<const uint8_t*>(v.data() + v.size()));
    for (float f : extra) {
        const auto* p = reinterpret_cast<const uint8_t*>(&f);
        out.insert(out.end(), p, p + sizeof f);
    }
    return out;
}

// The Y16 display chains. OpenCV: the window as one scaled conversion; the AGC as
// normalisation, equalisation, a detail layer (the frame minus its 3 x 3 mean) added twice,
// then an unsharp mask; the percentile stretch as the 1 % / 99 % points of the normalised
// frame's histogram and one scaled conversion.
struct Y16Bench {
    int32_t w, h;
    std::vector<int16_t> y16 = kmm::scenes::y16Scene(w, h);
    std::vector<uint8_t> grey = std::vector<uint8_t>(y16.size());
    cv::Mat src{h, w, CV_16S, y16.data()};
    cv::Mat n8, eq, eq16, mean16, detail, sum16, g8, mean8, out8, hist;

    void window() {
        const int16_t high = 9000, low = 7400;
        Y16Mapping_dll("DV17", y16.data(), grey.data(), w, h, &high, &low, false);
    }
    void windowCv() { src.convertTo(out8, CV_8U, 255.0 / 1600.0, -7400.0 * 255.0 / 1600.0); }
    void agc(const char* model) {
        Y16Mapping_dll(model, y16.data(), grey.data(), w, h, nullptr, nullptr, true);
    }
    void agcCv() {
        cv::normalize(src, n8, 0, 255, cv::NORM_MINMAX, CV_8U);
        cv::equalizeHist(n8, eq);
        cv::blur(src, mean16, {3, 3});
        cv::subtract(src, mean16, detail);
        eq.convertTo(eq16, CV_16S);
        cv::scaleAdd(detail, 2.0, eq16, sum16);
        sum16.convertTo(g8, CV_8U);
        cv::blur(g8, mean8, {3, 3});
        cv::addWeighted(g8, 2.0, mean8, -1.0, 0.0, out8);
    }
    void percentile() {
        int16_t high = 0, low = 0;
        Y16MappingAD_dll(y16.data(), grey.data(), 255, 100, w, h, &high, &low, 1);
    }
    void percentileCv() {
        double lowest = 0, highest = 0;
        cv::minMaxLoc(src, &lowest, &highest);
        const double step = std::max(1.0, highest - lowest) / 255.0;
        src.convertTo(n8, CV_8U, 1.0 / step, -lowest / step);
        const int channels[] = {0}, bins[] = {256};
        const float range[] = {0.0f, 256.0f};
        const float* ranges[] = {range};
        cv::calcHist(&n8, 1, channels, cv::Mat(), hist, 1, bins, ranges);
        const float tail = float(src.total()) * 0.01f;
        int lo = 0, hi = 255;
        for (float run = 0; lo < 255 && (run += hist.at<float>(lo)) < tail;) ++lo;
        for (float run = 0; hi > 0 && (run += hist.at<float>(hi)) < tail;) --hi;
        const double gain = 255.0 / (std::max(1, hi - lo) * step);
        src.convertTo(out8, CV_8U, gain, -(lowest + lo * step) * gain);
    }
};

// imageMapping_dll; OpenCV: a 3 x 3 Gaussian on the float matrix, normalisation to 8 bits,
// equalisation.
struct MatrixBench {
    int32_t w, h;
    std::vector<float> temps = kmm::scenes::temperatureScene(w, h, 0);
    std::vector<uint8_t> grey = std::vector<uint8_t>(temps.size());
    float maxTemp = 0, minTemp = 0;
    cv::Mat src{h, w, CV_32F, temps.data()};
    cv::Mat blurred, n8, out8;

    void map(const char* model, bool autoRange, float tuning = 150.0f) {
        maxTemp = 37.0f;
        minTemp = 15.0f;
        imageMapping_dll(model, tuning, temps.data(), grey.data(), w, h, &maxTemp, &minTemp,
                         autoRange);
    }
    void mapCv() {
        cv::GaussianBlur(src, blurred, {3, 3}, 0);
        cv::normalize(blurred, n8, 0, 255, cv::NORM_MINMAX, CV_8U);
        cv::equalizeHist(n8, out8);
    }
};

struct ResizeBench {
    int32_t w, h;
    std::vector<int16_t> y16 = kmm::scenes::y16Scene(w, h);
    std::vector<int16_t> big = std::vector<int16_t>(y16.size() * 4);
    cv::Mat src{h, w, CV_16S, y16.data()};
    cv::Mat out;

    void resize() { image_resize_dll(big.data(), y16.data(), h, w, 2); }
    void resizeCv() { cv::resize(src, out, {}, 2.0, 2.0, cv::INTER_LINEAR); }
};

template <class Bench>
std::shared_ptr<Bench> make(int32_t w, int32_t h) {
    return std::make_shared<Bench>(w, h);
}

std::vector<Case> cases() {
    std::vector<Case> all;
    for (auto [w, h] : {std::pair{640, 512}, {1280, 1024}}) {
        auto y = make<Y16Bench>(w, h);
        const auto greyOf = [y] { return y->grey; };
        all.push_back({"Y16Mapping_dll manual window", w, h, 0.5, [y] { y->window(); },
                       [y] { y->windowCv(); }, [y] { y->window(); return y->grey; }});
        for (const char* model : {"DV13", "DV17"}) {
            all.push_back({std::string("Y16Mapping_dll AGC ") + model, w, h, 0.4,
                           [y, model] { y->agc(model); }, [y] { y->agcCv(); },
                           [y, model, greyOf] { y->agc(model); return greyOf(); }});
        }
        all.push_back({"Y16MappingAD_dll automatic", w, h, 0.8, [y] { y->percentile(); },
                       [y] { y->percentileCv(); }, [y] { y->percentile(); return y->grey; }});

        auto m = make<MatrixBench>(w, h);
        const struct { const char* name; const char* model; bool autoRange; double aim; } rows[] = {
            {"imageMapping_dll offset codes (DV01) automatic", "DV01", true, 0.5},
            {"imageMapping_dll offset codes (DV01) manual", "DV01", false, 0.2},
            {"imageMapping_dll Kelvin codes (DV11) automatic", "DV11", true, 0.35},
            {"imageMapping_dll Kelvin codes (DV11) manual", "DV11", false, 0.2},
            {"imageMapping_dll pipeline (DV07) automatic", "DV07", true, 0.4},
            {"imageMapping_dll pipeline (DV07) manual", "DV07", false, 0.2},
        };
        for (const auto& r : rows) {
            all.push_back({r.name, w, h, r.aim, [m, r] { m->map(r.model, r.autoRange); },
                           [m] { m->mapCv(); }, [m, r] {
                               m->map(r.model, r.autoRange);
                               return bytesOf(m->grey, {m->maxTemp, m->minTemp});
                           }});
        }

        auto z = make<ResizeBench>(w, h);
        all.push_back({"image_resize_dll x2", w, h, 0.2, [z] { z->resize(); },
                       [z] { z->resizeCv(); }, [z] { z->resize(); return bytesOf(z->big); }});
    }
    return all;
}

// Calls a second of the temperature correction on a full-range (DV11) and a short-range
// (DV01) model, changing emissivity, distance and reflected temperature.
void correctionRate(int rounds) {
    const DeviceCorrectionParam record = benchCorrectionRecord();
    for (const char* model : {"DV11", "DV01"}) {
        std::vector<double> rates;
        float result = 0.0f;
        volatile float sink = 0.0f;  // keeps the calls
        for (int r = 0; r < rounds; ++r) {
            constexpr int kCalls = 200000;
            const double start = threadSeconds();
            for (int i = 0; i < kCalls; ++i) {
                getNewTemperature_dll(model, &result, 20.0f + float(i % 4000) * 0.1f, 0.95f, 0.8f,
                                      1.5f, 5.0f, 23.0f, 30.0f, &record);
                sink = sink + result;
            }
            rates.push_back(kCalls / (threadSeconds() - start));
        }
        std::printf("| getNewTemperature_dll (%s) | one call | %.2f M calls/s | | | >= 8 M/s | | |\n",
                    model, median(rates) * 1e-6);
    }
}

}  // namespace

int main(int argc, char** argv) {
    int rounds = 9;
    std::string filter;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--rounds")) rounds = std::max(1, std::atoi(argv[i + 1]));
        if (!std::strcmp(argv[i], "--filter")) filter = argv[i + 1];
    }
    cv::setNumThreads(1);
    std::printf("OpenCV %s, one thread; our kernels at %s; medians of %d rounds, thread CPU "
                "time\n\n",
                CV_VERSION, kmm::simdLevelName(kmm::simdLevel()), rounds);
    std::printf("| export, path | size | ours | OpenCV | ratio | aim | faults/call | same bits "
                "at every level |\n|---|---|---|---|---|---|---|---|\n");
    for (const Case& c : cases()) {
        if (c.name.find(filter) == std::string::npos) continue;
        const Timing t = measure(c, rounds);
        const double ratio = t.ours / t.theirs;
        std::printf("| %s | %dx%d | %.3f ms | %.3f ms | %.2fx | <= %.2fx%s | %.1f | %s |\n",
                    c.name.c_str(), c.width, c.height, t.ours * 1e3, t.theirs * 1e3, ratio,
                    c.aim, ratio <= c.aim ? "" : " (missed)", t.faultsPerCall,
                    sameAtEveryLevel(c) ? "yes" : "NO");
        std::fflush(stdout);
    }
    if (filter.empty() || std::string("getNewTemperature_dll").find(filter) != std::string::npos) {
        correctionRate(rounds);
    }
    return 0;
}
