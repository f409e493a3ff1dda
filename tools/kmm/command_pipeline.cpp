// `kmm pipeline`: raw 16-bit frames through the image pipeline (the public kmm_pipeline API,
// as a host drives it) into a grey or colour picture; `kmm palettes`: a strip of every
// palette; and the demo's gallery of stages and palettes on the real street frames.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "KModuleMeasurePipeline.h"
#include "io.h"
#include "options.h"
#include "tool.h"

namespace kmm::tool {
namespace {

const std::map<std::string, int> kFormats = {
    {"grey", -1},       {"bgr24", 0},       {"rgba32", 1},       {"rgb24", 2},
    {"rgb16", 3},       {"ycbycr", 4},      {"ycrycb", 5},       {"planar422", 6},
    {"planar422-cr", 7}, {"nv12", 8},       {"nv21", 9},         {"i420", 10},
    {"yv12", 11}};

const std::map<std::string, uint32_t> kMappings = {
    {"linear", 0}, {"equalised", 1}, {"mixed", 2}, {"window", 3}};

// --contrast BRIGHTNESS,GAIN
const std::vector<std::pair<int64_t, int64_t>> kContrastRanges = {{0, 255}, {0, 1024}};

using Pipeline = std::unique_ptr<kmm_pipeline, decltype(&kmm_pipeline_destroy)>;

void check(kmm_status status, const char* what) {
    if (status != KMM_OK) throw ToolError(std::string(what) + ": " + kmm_status_text(status));
}

struct PipelineOptions {
    FrameInput input;  // no --frame: every frame of the file in turn, the picture of the last
    std::string output = "pipeline.png", mapping = "equalised", window;
    std::string palette = "iron", format = "rgb24", stripes = "columns";
    std::vector<std::string> flatField;  // dark and gain frame files
    std::string badPixels, lut, contrast;
    float zoom = 1.0f, sharpen = 0.0f;
    int rotate = -1, mirror = -1;
    bool temporal = false, detail = false, adaptive = false, smoothing = false;
    bool temperatures = false;
};

// The pipeline family's codes: degC x 20 truncated toward zero and kept in 16 bits, after
// non-finite values take the frame's finite ends (+inf the largest, -inf and NaN the
// smallest), as imageMapping_dll makes them for DV07 and DV08.
std::vector<int16_t> temperatureCodes(const std::vector<float>& celsius) {
    float low = HUGE_VALF, high = -HUGE_VALF;
    for (float t : celsius)
        if (std::isfinite(t)) low = std::min(low, t), high = std::max(high, t);
    if (low > high) low = high = 0.0f;
    std::vector<int16_t> codes(celsius.size());
    for (size_t i = 0; i < codes.size(); ++i) {
        const float t = std::isfinite(celsius[i]) ? celsius[i] : celsius[i] > 0 ? high : low;
        // The float product saturates to 32 bits, of which 16 are kept.
        codes[i] = int16_t(int32_t(std::clamp(double(t * 20.0f), -2147483648.0, 2147483647.0)));
    }
    return codes;
}

// Frame `index` of the input as the pipeline takes it; *frames receives the file's count.
std::vector<int16_t> inputFrame(const PipelineOptions& o, int index, size_t* frames = nullptr) {
    if (o.temperatures)
        return temperatureCodes(readF32Frame(o.input.path, o.input.size(), index, frames));
    const auto samples = readU16Frame(o.input.path, o.input.size(), index, frames);
    return {samples.begin(), samples.end()};
}

// The one 16-bit frame of --size in the file of a correction option.
std::vector<uint16_t> correctionFrame(const char* option, const std::string& path,
                                      FrameSize size) {
    try {
        size_t frames = 0;
        auto frame = readU16Frame(path, size, 0, &frames);
        if (frames != 1) throw ToolError(path + " holds " + std::to_string(frames) + " frames, not one");
        return frame;
    } catch (const ToolError& e) {
        throw ToolError(std::string(option) + ": " + e.what());
    }
}

// The flat-field dark and gain frames (--flat-field) and the bad-pixel marks (--bad-pixels,
// the top bit of each value) merged into the one gain frame the pipeline keeps. Without a
// flat field the gain is 1.0, so that the repair, which runs only on a non-zero first gain,
// always runs.
void loadCorrections(const PipelineOptions& o, kmm_pipeline* p, FrameSize size) {
    std::vector<uint16_t> dark, gain(size_t(size.pixels()), 8192);
    if (!o.flatField.empty()) {
        dark = correctionFrame("--flat-field", o.flatField[0], size);
        gain = correctionFrame("--flat-field", o.flatField[1], size);
    }
    if (!o.badPixels.empty()) {
        const auto marks = correctionFrame("--bad-pixels", o.badPixels, size);
        for (size_t i = 0; i < gain.size(); ++i) gain[i] |= marks[i] & 0x8000;
    }
    check(kmm_pipeline_set_flat_field(p, !dark.empty()), "--flat-field");
    check(kmm_pipeline_set_bad_pixel_repair(p, !o.badPixels.empty()), "--bad-pixels");
    if (!dark.empty() || !o.badPixels.empty())
        check(kmm_pipeline_load_flat_field(p, dark.empty() ? nullptr : dark.data(), gain.data(),
                                           nullptr),
              "--flat-field");
}

Pipeline configure(const PipelineOptions& o, int width, int height) {
    Pipeline p(kmm_pipeline_create(width, height, o.zoom), kmm_pipeline_destroy);
    if (!p) throw ToolError("the pipeline cannot take " + std::to_string(width) + "x" +
                            std::to_string(height) + " at zoom " + std::to_string(o.zoom));
    loadCorrections(o, p.get(), {width, height});
    const bool columns = o.stripes == "columns" || o.stripes == "both";
    const bool rows = o.stripes == "rows" || o.stripes == "both";
    check(kmm_pipeline_set_column_stripes(p.get(), columns, 9, 3500, 20), "--stripes");
    check(kmm_pipeline_set_row_stripes(p.get(), rows, 9, 3500, 20), "--stripes");
    check(kmm_pipeline_set_temporal_filter(p.get(), o.temporal, 8), "--temporal");
    check(kmm_pipeline_set_smoothing(p.get(), o.smoothing, 1, 5), "--smoothing");
    check(kmm_pipeline_set_mapping(p.get(), kMappings.at(o.mapping)), "--mapping");
    if (!o.window.empty()) {
        const auto [lo, hi] = parseRange(o.window);
        if (lo < -32768 || hi > 32767) throw ToolError("--window: frame values are 16-bit");
        check(kmm_pipeline_set_window(p.get(), int16_t(hi), int16_t(lo)), "--window");
    } else if (o.mapping == "window") {
        throw ToolError("--mapping window needs --window LO:HI");
    }
    check(kmm_pipeline_set_detail(p.get(), o.detail, 3, 48), "--detail");
    check(kmm_pipeline_set_adaptive_equalisation(p.get(), o.adaptive, 2, 2, 5), "--adaptive");
    if (!o.lut.empty()) {
        const std::vector<uint8_t> table = readBytes(o.lut);
        if (table.size() != 256)
            throw ToolError("--lut: " + o.lut + " holds " + std::to_string(table.size()) +
                            " bytes, not the 256 of a look-up table");
        check(kmm_pipeline_set_lut(p.get(), 1), "--lut");
        check(kmm_pipeline_load_lut(p.get(), table.data()), "--lut");
    }
    check(kmm_pipeline_set_sharpen(p.get(), o.sharpen > 0.0f, o.sharpen > 0.0f ? o.sharpen : 1.0f),
          "--sharpen");
    if (!o.contrast.empty()) {
        const auto bc = parseWholeNumbers(o.contrast, kContrastRanges);
        check(kmm_pipeline_set_contrast(p.get(), 1, uint32_t(bc[0]), uint32_t(bc[1])),
              "--contrast");
    }
    if (o.rotate >= 0) check(kmm_pipeline_set_rotation(p.get(), 1, uint32_t(o.rotate)), "--rotate");
    if (o.mirror >= 0) check(kmm_pipeline_set_mirror(p.get(), 1, uint32_t(o.mirror)), "--mirror");
    const int format = kFormats.at(o.format);
    check(kmm_pipeline_set_colour(p.get(), format >= 0, paletteNumber(o.palette),
                                  kmm_colour_format(format >= 0 ? format : 0), 0),
          "--palette");
    return p;
}

// Writes the image: PNG for grey and the RGB formats, the bytes as they are for .raw.
void writeImage(const std::string& path, const std::vector<uint8_t>& bytes,
                const kmm_pipeline_image& image, const std::string& format) {
    const int w = int(image.width), h = int(image.height);
    if (formatOf(path, {FileFormat::Png, FileFormat::Raw}) == FileFormat::Raw) {
        OutputFile out(path);
        out.write(bytes.data(), bytes.size());
        return out.close();
    }
    if (format == "grey") return writeGreyPng(path, bytes.data(), w, h);
    if (format != "rgb24" && format != "bgr24" && format != "rgba32")
        throw ToolError("--format " + format + " is written as .raw only");
    const bool bgr = format == "bgr24";
    std::vector<uint8_t> rgb(size_t(w) * size_t(h) * 3);
    for (size_t i = 0; i < size_t(w) * size_t(h); ++i) {
        const uint8_t* px = &bytes[i * image.bytes_per_pixel];
        rgb[3 * i] = bgr ? px[2] : px[0];
        rgb[3 * i + 1] = px[1];
        rgb[3 * i + 2] = bgr ? px[0] : px[2];
    }
    writeRgbPng(path, rgb.data(), w, h);
}

template <class Map>
std::vector<std::string> keys(const Map& map) {
    std::vector<std::string> out;
    for (const auto& [k, v] : map) out.push_back(k);
    return out;
}

void setupPipeline(CLI::App& app) {
    static PipelineOptions o;
    auto* cmd = app.add_subcommand(
        "pipeline", "Run raw 16-bit frames or float32 temperature matrices (little-endian, "
                    "row-major; several frames in a file run in turn) through the image "
                    "pipeline into a picture");
    o.input.addTo(cmd, "frame file (little-endian 16-bit, or float32 with --temperatures)");
    cmd->add_option("-o,--out", o.output, ".png (grey, rgb24, bgr24, rgba32) or .raw, - for "
                                          "standard output")
        ->capture_default_str()
        ->check(outputPath({FileFormat::Png, FileFormat::Raw}));
    cmd->add_option("--palette", o.palette, "palette")
        ->check(CLI::IsMember(paletteNames()))->capture_default_str();
    cmd->add_option("--format", o.format, "pixel format (grey: no colour)")
        ->check(CLI::IsMember(keys(kFormats)))->capture_default_str();
    cmd->add_option("--mapping", o.mapping, "grey mapping")
        ->check(CLI::IsMember(keys(kMappings)))->capture_default_str();
    cmd->add_option("--window", o.window, "LO:HI frame values of --mapping window")
        ->check(rangeText());
    cmd->add_option("--stripes", o.stripes, "stripe removal")
        ->check(CLI::IsMember({"none", "columns", "rows", "both"}))->capture_default_str();
    cmd->add_flag("--temporal", o.temporal, "temporal noise filter across the frames");
    cmd->add_flag("--smoothing", o.smoothing, "edge-preserving 3x3 smoothing");
    cmd->add_flag("--detail", o.detail, "detail-enhanced mapping");
    cmd->add_flag("--adaptive", o.adaptive, "adaptive equalisation of the detail base");
    cmd->add_flag("--temperatures", o.temperatures,
                  "the input holds float32 temperatures (degC), taken as 0.05 degC codes as "
                  "imageMapping_dll takes them for DV07");
    cmd->add_option("--flat-field", o.flatField,
                    "flat-field correction by DARK and GAIN, raw 16-bit frames of --size (gain "
                    "in Q13, 8192 = 1; top bit: a bad pixel); each input frame is the raw frame")
        ->expected(2);
    cmd->add_option("--bad-pixels", o.badPixels,
                    "bad-pixel repair of the pixels whose value in this raw 16-bit frame has "
                    "its top bit set (a flat-field gain frame serves as is)");
    cmd->add_option("--lut", o.lut, "look-up table: a file of 256 bytes, grey g becomes byte g");
    cmd->add_option("--contrast", o.contrast,
                    "BRIGHTNESS,GAIN of the brightness/contrast stage (0..255, 0..1024; 128,128 "
                    "changes nothing)")
        ->check(wholeNumbersText(kContrastRanges));
    cmd->add_option("--sharpen", o.sharpen, "unsharp mask amount")->check(finiteWithin(0, 16));
    cmd->add_option("--zoom", o.zoom, "output scale")->check(finiteWithin(1, 8));
    cmd->add_option("--rotate", o.rotate, "0 clockwise, 1 half turn, 2 anticlockwise")
        ->check(CLI::Range(0, 2));
    cmd->add_option("--mirror", o.mirror, "0 left-right, 1 top-bottom, 2 both")
        ->check(CLI::Range(0, 2));
    cmd->callback([] {
        const FrameSize size = o.input.size();
        size_t frames = 0;
        inputFrame(o, 0, &frames);
        if (o.input.frame >= 0 && size_t(o.input.frame) >= frames)
            throw ToolError("--frame " + std::to_string(o.input.frame) + ": " + o.input.path +
                            " holds " + std::to_string(frames) + " frames");
        Pipeline p = configure(o, size.width, size.height);
        kmm_pipeline_image image{};
        check(kmm_pipeline_output(p.get(), &image), "output");
        std::vector<uint8_t> out(size_t(image.bytes));
        const size_t first = o.input.frame >= 0 ? size_t(o.input.frame) : 0;
        const size_t last = o.input.frame >= 0 ? first + 1 : frames;
        for (size_t f = first; f < last; ++f) {
            const std::vector<int16_t> frame = inputFrame(o, int(f));
            if (!o.flatField.empty()) {  // the frame is the raw frame the stage corrects
                const std::vector<uint16_t> raw(frame.begin(), frame.end());
                check(kmm_pipeline_load_flat_field(p.get(), nullptr, nullptr, raw.data()),
                      "--flat-field");
            }
            check(kmm_pipeline_run(p.get(), frame.data(), out.data(), out.size(), &image), "run");
        }
        writeImage(o.output, out, image, o.format);
        std::fprintf(messages(), "%zu frame(s) -> %ux%u %s -> %s\n", last - first, image.width,
                     image.height, o.format.c_str(), o.output.c_str());
    });
}

// A strip of every palette, one band of 256 grey levels each, top to bottom in palette order.
void writePaletteStrip(const std::string& path) {
    constexpr int kBand = 24;
    std::vector<uint8_t> strip;
    for (const auto& name : paletteNames()) {
        const uint32_t number = paletteNumber(name);
        Pipeline p(kmm_pipeline_create(256, kBand, 1.0f), kmm_pipeline_destroy);
        check(kmm_pipeline_set_column_stripes(p.get(), 0, 9, 3500, 20), "stripes");
        check(kmm_pipeline_set_mapping(p.get(), 3), "mapping");
        // The fixed window spreads 0..510 over 510 grey levels, so value v becomes about v.
        check(kmm_pipeline_set_window(p.get(), 510, 0), "window");
        check(kmm_pipeline_set_colour(p.get(), 1, number, KMM_COLOUR_RGB24, 0), "colour");
        std::vector<int16_t> ramp(256 * kBand);
        for (size_t i = 0; i < ramp.size(); ++i) ramp[i] = int16_t((i % 256 * 1024 + 1021) / 1022);
        kmm_pipeline_image image{};
        check(kmm_pipeline_output(p.get(), &image), "output");
        std::vector<uint8_t> rgb(size_t(image.bytes));
        check(kmm_pipeline_run(p.get(), ramp.data(), rgb.data(), rgb.size(), &image), "run");
        strip.insert(strip.end(), rgb.begin(), rgb.end());
    }
    writeRgbPng(path, strip.data(), 256, kBand * int(paletteNames().size()));
}

void setupPalettes(CLI::App& app) {
    static std::string output = "palettes.png";
    auto* cmd = app.add_subcommand("palettes", "Write a strip of every palette, one band each");
    addPngOutput(cmd, output);
    cmd->callback([] {
        writePaletteStrip(output);
        std::string names;
        for (const auto& name : paletteNames())
            names += (names.empty() ? "" : ", ") + name + " " + std::to_string(paletteNumber(name));
        std::fprintf(messages(), "%s -> %s\n", names.c_str(), output.c_str());
    });
}

// The street sequence through the pipeline as a host would set it up: each palette, and the
// stages one at a time (the temporal filter over all four frames, the others on the last).
void demoPipeline(DemoContext& ctx) {
    const std::filesystem::path file =
        std::filesystem::path(KMM_FRAMES_DIR) / "street_640x512x4.u16le.raw";
    if (!std::filesystem::exists(file)) {
        ctx.summary << file.string() << " not found: skipped\n";
        return;
    }
    const FrameSize size{640, 512};
    std::vector<std::vector<int16_t>> frames;
    for (int f = 0; f < 4; ++f) {
        const auto samples = readU16Frame(file, size, f);
        frames.emplace_back(samples.begin(), samples.end());
    }
    struct Picture {
        std::string name, what;
        PipelineOptions options;
    };
    std::vector<Picture> pictures;
    for (const auto& name : paletteNames()) {
        const uint32_t number = paletteNumber(name);
        PipelineOptions o;
        o.palette = name;
        pictures.push_back({"palette-" + name, "palette " + std::to_string(number), o});
    }
    const auto stage = [&](const char* name, const char* what, auto change) {
        PipelineOptions o;
        o.format = "grey";
        change(o);
        pictures.push_back({name, what, o});
    };
    stage("stripes-off", "column-stripe removal off", [](auto& o) { o.stripes = "none"; });
    stage("stripes-both", "column- and row-stripe removal", [](auto& o) { o.stripes = "both"; });
    stage("temporal", "temporal filter over the four frames", [](auto& o) { o.temporal = true; });
    stage("detail", "detail-enhanced mapping", [](auto& o) { o.detail = true; });
    stage("detail-adaptive", "detail-enhanced mapping, adaptive equalisation", [](auto& o) {
        o.detail = o.adaptive = true;
    });
    stage("sharpen", "sharpened, amount 1", [](auto& o) { o.sharpen = 1.0f; });
    stage("zoom2", "zoom x2, bilinear", [](auto& o) { o.zoom = 2.0f; });
    stage("rotate", "a quarter turn clockwise", [](auto& o) { o.rotate = 0; });

    ctx.summary << "The street frames (640x512, four in sequence) through kmm_pipeline_run:\n";
    for (const Picture& pic : pictures) {
        Pipeline p = configure(pic.options, size.width, size.height);
        kmm_pipeline_image image{};
        check(kmm_pipeline_output(p.get(), &image), "output");
        std::vector<uint8_t> out(size_t(image.bytes));
        const size_t first = pic.options.temporal ? 0 : frames.size() - 1;
        for (size_t f = first; f < frames.size(); ++f)
            check(kmm_pipeline_run(p.get(), frames[f].data(), out.data(), out.size(), &image),
                  "run");
        const std::string png = "pipeline-" + pic.name + ".png";
        writeImage((ctx.outDir / png).string(), out, image, pic.options.format);
        ctx.summary << "  " << png << ": " << pic.what << ", " << image.width << "x"
                    << image.height << "\n";
    }
}

const bool registeredPipeline = registerCommand(setupPipeline);
const bool registeredDemo = registerDemoSection({42, "Image pipeline stages and palettes", demoPipeline});
const bool registeredPalettes = registerCommand(setupPalettes);

}  // namespace
}  // namespace kmm::tool
