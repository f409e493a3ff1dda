// ImagePipeline: one signed 16-bit frame (temperature codes) through a fixed chain of
// switchable stages into an 8-bit image. The object owns every buffer its stages need;
// the stages live in files of their own next to this one.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "kernels/histogram.h"

namespace kmm {

template <class T>
using PipelineBuffer = std::unique_ptr<T[]>;

// Everything the object allocates. A null buffer means its stage is switched off; a stage
// that finds its buffer missing (its switch written without the setter) does nothing.
struct PipelineBuffers {
    PipelineBuffer<int16_t> input;        // frame in; each 16-bit stage's result lands here
    PipelineBuffer<int16_t> work16;       // output of each 16-bit stage
    PipelineBuffer<uint8_t> image8;       // 8-bit work image, 4 bytes a pixel (x zoom^2)
    PipelineBuffer<uint8_t> output;       // output image, 4 bytes a pixel (x zoom^2)
    PipelineBuffer<int16_t> border;       // (width + 10) x (height + 10) bordered frame
    PipelineBuffer<uint16_t> flatFieldDark, flatFieldGain, flatFieldRaw;
    PipelineBuffer<uint8_t> temporalHistory;                 // 960,000 bytes
    PipelineBuffer<int16_t> temporalMotion, temporalResult;  // width x height
    PipelineBuffer<int16_t> temporalBordered;                // (width + 10) x (height + 10)
    PipelineBuffer<uint16_t> stripeSmoothed, stripeWeights;  // width x height
    PipelineBuffer<int32_t> stripeDifference;                // width x height
    PipelineBuffer<int32_t> columnOffsets, rowOffsets;       // width, height
    PipelineBuffer<uint8_t> linearImage, equalisedImage;     // allocated with mode 2
    PipelineBuffer<int16_t> frameCopy;
    PipelineBuffer<uint8_t> imageCopy;
};

// Result of the histogram scan shared by the linear and equalised mappings (frame units).
struct PercentileScan {
    int32_t count;  // values scanned
    int32_t extremeHigh, extremeLow, high, low, mean;
    int32_t minValue, maxValue;  // the frame's own extremes
    int32_t firstBin, lastBin;   // occupied histogram bins; nothing lies outside them
};

// Gain (Q10) and offset (grey levels) of one linear mapping.
struct LinearMap {
    int64_t gain, offset;
};

// The working tables of one grey mapping, local to the mapping call.
struct MappingTables {
    Histogram histogram;
    uint8_t byBin[kIndexCount];    // the equalised grey of each occupied bin
    uint8_t byValue[kIndexCount];  // a grey table by value (65,536 entries from value -32768)
};

class ImagePipeline {
public:
    // A width or height <= 0, or a pixel count beyond 32 bits, gives an empty object: no
    // buffers, and run() does nothing. zoom below 1.0 (or NaN) counts as 1.0.
    ImagePipeline(int32_t width, int32_t height, float zoom);
    ~ImagePipeline() { release(); }
    ImagePipeline(const ImagePipeline&) = delete;
    ImagePipeline& operator=(const ImagePipeline&) = delete;

    // Setters store the value and return 0. Those that allocate or free do nothing when the
    // value is unchanged. setMappingMode refuses modes above 3 (returns -1, keeps the mode).
    int32_t setFlatFieldCorrection(bool on);
    int32_t setBadPixelRepair(bool on);
    int32_t setTemporalFilter(bool on);
    int32_t setColumnStripeFilter(bool on);
    int32_t setRowStripeFilter(bool on);
    int32_t setSmoothing(bool on);
    int32_t setSmoothingSigma(uint32_t sigma);
    int32_t setRotation(bool on);
    int32_t setKeepFrameCopy(bool on);
    int32_t setKeepImageCopy(bool on);
    int32_t setPseudoColour(bool on);
    int32_t setColourFormat(uint32_t format);
    int32_t setMappingMode(uint32_t mode);
    int32_t setRangeHigh(int16_t high);
    int32_t setRangeLow(int16_t low);
    int32_t setLinearBrightness(uint32_t brightness);
    int32_t setCustomTuning(uint32_t on);
    int32_t setPresetTuning(uint32_t on);

    // Processes the workCount values of input() into output() (outCount bytes). The caller
    // fills input() first: construction leaves it uninitialised rather than clear a frame
    // that is overwritten anyway.
    void run();
    // Frees every buffer; safe to call any number of times.
    void release();

    int16_t* input() { return buffers_.input.get(); }
    const uint8_t* output() const { return buffers_.output.get(); }
    const PipelineBuffers& buffers() const { return buffers_; }

    // The grey mappings, each over width x height values (at least one) of in into as many
    // bytes of out.
    void mapLinear(uint8_t* out, const int16_t* in, int32_t width, int32_t height,
                   uint32_t percentile, uint32_t brightness, uint32_t contrast,
                   uint32_t minimumSpan);
    void mapEqualised(uint8_t* out, const int16_t* in, int32_t width, int32_t height,
                      uint32_t plateau, uint32_t percentile, uint32_t maxRange,
                      uint32_t brightness);
    void mapMixed(uint8_t* out, const int16_t* in, int32_t width, int32_t height);
    // Mode 0..3 by mappingMode; a mode above 3 writes nothing.
    void mapByMode(uint8_t* out, const int16_t* in, int32_t width, int32_t height);

    // ---- Switches and parameters (defaults of construction) ----
    // Switches with buffers must be changed through their setters.
    uint8_t flatFieldOn = 0;
    uint8_t badPixelOn = 0;
    uint8_t temporalOn = 0;
    uint32_t temporalSigma = 8;
    uint32_t temporalWindowWidth = 4, temporalWindowHeight = 2;
    uint8_t columnStripeOn = 1;
    uint32_t columnStripeWindow = 9, columnStripeThreshold = 3500, columnStripeSigma = 25,
             columnStripeClamp = 20;
    uint8_t rowStripeOn = 0;
    uint32_t rowStripeWindow = 9, rowStripeThreshold = 3500, rowStripeSigma = 20,
             rowStripeClamp = 20;
    uint8_t smoothingOn = 0;
    uint32_t smoothingMode = 0, smoothingSigma = 5, smoothingRangeSigma = 5, smoothingWindow = 3;
    uint8_t flipOn = 0;
    uint32_t flipMode = 0;
    uint8_t rotateOn = 0;
    uint32_t rotateMode = 0;
    uint8_t detailOn = 0;
    uint32_t detailBaseWindow = 3, detailKernelSize = 3, detailGain = 48, detailRangeSigma = 15,
             detailKernelSigma = 15;
    uint8_t detailPostOn = 0;
    uint32_t claheTilesX = 2, claheTilesY = 2, claheLevels = 255, claheClipFactor = 5;
    uint8_t claheReuseMaps = 0;
    uint8_t mappingOn = 1;
    uint32_t mappingMode = 1;
    uint32_t percentile = 10;
    uint32_t linearContrast = 200;
    uint32_t linearBrightness = 20;
    uint32_t minimumSpan = 128;
    uint32_t equaliseBrightness = 80;
    uint32_t plateau = 200;
    uint32_t equaliseMaxRange = 230;
    int16_t rangeHigh = 0, rangeLow = 0;
    uint8_t lutOn = 0;
    uint8_t sharpenOn = 0;
    float sharpenAmount = 1.0f;
    uint8_t contrastOn = 0;
    uint32_t contrastBrightness = 128, contrastGain = 128;
    float zoom = 1.0f;
    uint32_t zoomMode = 1;
    uint8_t pseudoColourOn = 1;
    uint32_t palette = 2;
    uint32_t colourFormat = 0;
    uint8_t paletteKind = 0;
    struct ColourParams {
        uint32_t markMode = 0;
        int16_t markHigh = 5000, markLow = 2000;
        uint32_t markColour = 0, lowMarkColour = 255;
    } colourParams;
    uint32_t width = 0, height = 0;
    float requestedZoom = 1.0f;

    // ---- Tables built at construction ----
    std::array<uint32_t, 128> temporalWeights{};
    std::array<uint32_t, 512> columnStripeRangeTable{}, rowStripeRangeTable{};
    std::array<uint32_t, 512> smoothingKernel{}, smoothingRangeTable{};
    std::array<uint32_t, 512> detailKernel{}, detailRangeTable{};
    uint32_t temporalFrames = 0;

    // ---- Mapping state, carried from run to run ----
    int32_t histogramOffset = 32768;
    uint32_t linearCalls = 0;
    int32_t linearGain = 0, linearOffset = 0, linearSpan = 0, linearMean = 0;
    int32_t lastHigh = 0, lastLow = 0;
    uint32_t maximumGain = 4;
    int32_t lastSpan = 0;
    std::array<uint8_t, 4096> savedTileMaps{};
    uint32_t claheRuns = 0;
    std::array<uint8_t, 256> lut{};
    uint8_t keepFrameCopy = 0, keepImageCopy = 0;
    uint32_t customTuning = 0, presetTuning = 0;
    uint32_t lastEqualiseBrightness = 0;
    std::array<uint16_t, 6> linearStats{};  // extreme high, extreme low, high, low, mean, span
    std::array<uint8_t, 4> imageStats{};    // maximum, minimum, mean, range
    uint32_t frameCopyWidth = 0, frameCopyHeight = 0;
    uint32_t imageCopyWidth = 0, imageCopyHeight = 0;

    // ---- Geometry of the current run ----
    uint32_t workWidth = 0, workHeight = 0, workCount = 0;
    uint32_t outWidth = 0, outHeight = 0;
    int32_t outCount = 0;
    uint32_t outBytesPerPixel = 1;

private:
    // Fills the histogram of count >= 1 values and scans it.
    PercentileScan scanHistogram(const int16_t* in, int32_t count, uint32_t percentile,
                                 Histogram& histogram) const;
    // The two halves of the mixed mapping, split into what depends on the frame as a
    // whole (statistics, gain, the cumulative table; kept in the object) and the per-value
    // grey: linear by linearGrey, equalised by tables.byBin over the occupied bins.
    LinearMap prepareLinear(const PercentileScan& scan, uint32_t brightness, uint32_t contrast,
                            uint32_t minimumSpan);
    void prepareEqualised(const PercentileScan& scan, uint32_t plateau, uint32_t maxRange,
                          uint32_t brightness, MappingTables& tables);

    // Stages; a 16-bit stage returns true when it wrote work16 (then the run copies it
    // back), an 8-bit stage when it wrote output.
    bool correctFlatField();
    void repairBadPixels();
    bool filterTemporal();
    bool removeColumnStripes();
    bool removeRowStripes();
    bool smooth();
    bool mirror();
    bool rotate();
    bool mapWithDetail();
    bool applyLut();
    bool sharpen();
    bool adjustContrast();
    bool zoomImage();
    void colourise();
    void takeImageStatistics();

    PipelineBuffers buffers_;
};

}  // namespace kmm
