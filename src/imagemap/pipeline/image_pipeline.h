// ImagePipeline: one signed 16-bit frame (temperature codes) through a fixed chain of
// switchable stages into an 8-bit grey or colour image. The object keeps only what outlives a
// run (the flat-field frames, the temporal history, the saved tile maps, the copies a host
// asked for); a run takes the work memory of the stages switched on as one block and writes
// its result straight into the caller's image. The stages live in files of their own.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "common/work_block.h"
#include "kernels/histogram.h"

namespace kmm {

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

// The working tables of one grey mapping, taken from the run's work block.
struct MappingTables {
    Histogram histogram;
    uint32_t cumulative[kIndexCount];  // plateau-limited running sums, by bin
    uint8_t byBin[kIndexCount];        // the equalised grey of each occupied bin
    uint8_t byValue[kIndexCount];      // a grey table by value (65,536 entries from value -32768)
};

// The image a run writes: its size after rotation and zoom, and its layout.
struct ImageShape {
    uint32_t width = 0, height = 0;
    uint32_t bytesPerPixel = 1;  // 1 grey; 3 or 4 from the colour stage (3 also for its
                                 // 16-bit and luma/chroma formats)
    size_t bytes = 0;            // exactly what a run writes
};

// The plateau-limited running sums of an equalised mapping over its occupied bins (0 below
// them, the total above), as the temperature-aware colouring reads them later in the run.
struct EqualisedRecord {
    std::vector<uint32_t> cumulative;
    int32_t firstBin = 0;
    uint32_t total = 0;

    uint32_t at(int32_t bin) const {
        const int64_t k = int64_t(bin) - firstBin;
        if (k < 0) return 0;
        return k < int64_t(cumulative.size()) ? cumulative[size_t(k)] : total;
    }
};

class ImagePipeline {
public:
    // A width or height <= 0, a pixel count beyond 32 bits, or a zoomed image beyond 2^29
    // pixels gives an empty object whose run() refuses. zoom below 1.0 (or NaN) counts as 1.0.
    // Construction allocates nothing.
    ImagePipeline(int32_t width, int32_t height, float zoom);
    ImagePipeline(const ImagePipeline&) = delete;
    ImagePipeline& operator=(const ImagePipeline&) = delete;

    // ---- Setters: each stores its value and returns 0; -1 refuses a value and keeps the old
    // one. Those that allocate or free do nothing when the value is unchanged. ----
    // Flat-field correction: the stage's frames (dark, gain, raw; zero until loaded) exist
    // while it or bad-pixel repair is on. The corrected frame is (raw - dark) x gain in Q13,
    // computed from the loaded raw frame, which replaces the run's input.
    int32_t setFlatFieldCorrection(bool on);
    // Bad-pixel repair: pixels whose gain frame value has its top bit set are replaced by the
    // median of their good neighbours. Keeps the gain frame while on.
    int32_t setBadPixelRepair(bool on);
    // Temporal noise filter: switching it on allocates the history (one frame) and starts a
    // new sequence, whose first frame passes unchanged; off frees the history.
    int32_t setTemporalFilter(bool on);
    // Sigma of the temporal weights (default 8), read when the filter is next switched on.
    int32_t setTemporalSigma(uint32_t sigma);
    int32_t setColumnStripeFilter(bool on);
    int32_t setRowStripeFilter(bool on);
    int32_t setSmoothing(bool on);
    // The smoothing kernel becomes a smoothingWindow x smoothingWindow Gaussian of this sigma
    // (tenths of a pixel); the Gaussian smoothing reads its first nine entries as 3 x 3.
    int32_t setSmoothingSigma(uint32_t sigma);
    int32_t setRotation(bool on);
    // Copies of the last run's final 16-bit frame and of its 8-bit image before the zoom.
    int32_t setKeepFrameCopy(bool on);
    int32_t setKeepImageCopy(bool on);
    int32_t setPseudoColour(bool on);
    int32_t setColourFormat(uint32_t format);
    // 0 linear, 1 equalised, 2 mixed, 3 fixed window; above 3 refused.
    int32_t setMappingMode(uint32_t mode);
    int32_t setRangeHigh(int16_t high);
    int32_t setRangeLow(int16_t low);
    int32_t setLinearBrightness(uint32_t brightness);
    int32_t setCustomTuning(uint32_t on);
    int32_t setPresetTuning(uint32_t on);
    // Adaptive equalisation of the detail-enhanced mapping's base image; off forgets the
    // saved tile maps.
    int32_t setAdaptiveEqualisation(bool on);

    // Copies width x height values from each non-null frame into the flat-field frames; -1
    // (nothing copied) while neither flat-field correction nor bad-pixel repair is on, or, for
    // dark and raw, while flat-field correction is off. Until frames are loaded the flat-field
    // stage passes the frame through and bad-pixel repair finds no bad pixel.
    int32_t loadFlatField(const uint16_t* dark, const uint16_t* gain, const uint16_t* raw);
    // The 256-entry grey look-up table of the look-up stage (zero until loaded); -1 for null.
    int32_t loadLut(const uint8_t* table);

    // The image the next run writes with the current settings.
    ImageShape outputShape() const;
    // Runs the width x height values of frame through the switched-on stages into out, which
    // holds capacity bytes. Returns false, writing nothing and changing nothing, when the
    // object is empty, a pointer is null or the image would not fit (outputShape().bytes).
    // May throw std::bad_alloc for its work memory, before anything is written. A caller that
    // knows the frame's exact extremes passes them as frameRange; the mapping then skips its
    // own scan when the frame reaches it unchanged. A caller that keeps its own parts in one
    // work block with runWorkBytes() more passes it as sharedWork: one block a call is what
    // lets the heap keep it from call to call without faulting pages in.
    bool run(const int16_t* frame, uint8_t* out, size_t capacity,
             std::optional<SampleRange> frameRange = {}, WorkBlock* sharedWork = nullptr);
    size_t runWorkBytes() const;

    // The grey mappings, each over width x height values (at least one) of in into as many
    // bytes of out.
    void mapLinear(uint8_t* out, const int16_t* in, int32_t width, int32_t height,
                   uint32_t percentile, uint32_t brightness, uint32_t contrast,
                   uint32_t minimumSpan, MappingTables& tables);
    void mapEqualised(uint8_t* out, const int16_t* in, int32_t width, int32_t height,
                      uint32_t plateau, uint32_t percentile, uint32_t maxRange,
                      uint32_t brightness, MappingTables& tables);
    void mapMixed(uint8_t* out, const int16_t* in, int32_t width, int32_t height,
                  MappingTables& tables);
    // Mode 0..3 by mappingMode.
    // tables may be null for mode 3.
    void mapByMode(uint8_t* out, const int16_t* in, int32_t width, int32_t height,
                   MappingTables* tables);

    // Contrast-limited adaptive equalisation of the 8-bit src (width x height) into dst with
    // the claheXxx fields, interpolating with the saved tile maps when claheReuseMaps is set
    // and maps of the same grid are saved (the current maps otherwise).
    void equaliseAdaptive(uint8_t* dst, const uint8_t* src, int32_t width, int32_t height);

    // The grey of value v under the last mixed mapping: its equalised half from the equalised
    // record and equalisedRange, its linear half from linearGain and linearOffset, blended by
    // the weight of lastSpan. The record is kept by the runs that colour with palette kind 1
    // (the only reader), so it is the last such run's.
    uint8_t greyOfValue(int32_t v) const;

    int32_t width() const { return width_; }
    int32_t height() const { return height_; }
    float zoom() const { return zoom_; }
    uint32_t temporalFrames() const { return temporalFrames_; }
    const std::vector<int16_t>& frameCopy() const { return frameCopy_; }
    const std::vector<uint8_t>& imageCopy() const { return imageCopy_; }
    const EqualisedRecord& equalisedRecord() const { return equalised_; }

    // ---- Parameters: plain values, any of which is safe (the stage's comment says what it
    // does with values out of its range). ----
    uint32_t columnStripeWindow = 9, columnStripeThreshold = 3500, columnStripeClamp = 20;
    uint32_t rowStripeWindow = 9, rowStripeThreshold = 3500, rowStripeClamp = 20;
    uint32_t smoothingMode = 0, smoothingWindow = 3;
    uint8_t flipOn = 0;
    uint32_t flipMode = 0;
    uint32_t rotateMode = 0;
    uint8_t detailOn = 0;
    uint32_t detailBaseWindow = 3, detailGain = 48;
    uint32_t claheTilesX = 2, claheTilesY = 2, claheLevels = 255, claheClipFactor = 5;
    uint8_t claheReuseMaps = 0;
    uint8_t mappingOn = 1;
    uint32_t percentile = 10;
    uint32_t linearContrast = 200;
    uint32_t minimumSpan = 128;
    uint32_t equaliseBrightness = 80;
    uint32_t plateau = 200;
    uint32_t equaliseMaxRange = 230;
    uint8_t lutOn = 0;
    uint8_t sharpenOn = 0;
    float sharpenAmount = 1.0f;
    uint8_t contrastOn = 0;
    uint32_t contrastBrightness = 128, contrastGain = 128;
    uint32_t zoomMode = 1;
    uint32_t palette = 2;
    uint8_t paletteKind = 0;
    struct ColourParams {
        uint32_t markMode = 0;
        int16_t markHigh = 5000, markLow = 2000;
        uint32_t markColour = 0, lowMarkColour = 255;
    } colourParams;
    int32_t histogramOffset = 32768;
    uint32_t maximumGain = 4;

    // ---- Switches and values set through the setters above ----
    uint8_t flatFieldOn = 0, badPixelOn = 0, temporalOn = 0;
    uint8_t columnStripeOn = 1, rowStripeOn = 0, smoothingOn = 0, rotateOn = 0;
    uint8_t detailPostOn = 0;
    uint8_t keepFrameCopy = 0, keepImageCopy = 0;
    uint8_t pseudoColourOn = 1;
    uint32_t colourFormat = 0;
    uint32_t mappingMode = 1;
    int16_t rangeHigh = 0, rangeLow = 0;
    uint32_t linearBrightness = 20;
    uint32_t customTuning = 0, presetTuning = 0;

    // ---- State left by runs ----
    int32_t linearGain = 0, linearOffset = 0, lastSpan = 0;
    uint32_t lastEqualiseBrightness = 0;
    int32_t equalisedRange = 0;  // grey range of the last equalised mapping
    std::array<uint16_t, 6> linearStats{};  // extreme high, extreme low, high, low, mean, span
    std::array<uint8_t, 4> imageStats{};    // maximum, minimum, mean, range
    int32_t frameCopyWidth = 0, frameCopyHeight = 0, imageCopyWidth = 0, imageCopyHeight = 0;
    uint32_t claheRuns = 0;

private:
    // Which stages act in the next run, and so which work memory it takes.
    struct RunPlan {
        bool flatField, badPixels, detail, tables, zoom, colour;
        int frameWrites, imageWrites;
        size_t pixels, imageBytes, borderedCount, workBytes;
    };
    RunPlan plan() const;

    // The running frame's extremes as the caller gave them, for the histogram of that frame
    // only; cleared by every run.
    const int16_t* rangedFrame_ = nullptr;
    SampleRange frameRange_{0, 0};

    // A weight table built the first time a run needs it.
    struct LazyTable {
        std::array<uint32_t, 512> entries{};
        bool built = false;
    };
    // Work memory of the detail-enhanced mapping, from the run's block: a bordered frame, two
    // frames, one image when the adaptive equalisation is on, the mapping tables for modes
    // 0..2.
    struct DetailScratch {
        int16_t* bordered;
        int16_t* base;
        int16_t* smoothedBase;
        uint8_t* equalisedBase;
        MappingTables* tables;
    };

    // Fills the histogram of count >= 1 values and scans it.
    PercentileScan scanHistogram(const int16_t* in, int32_t count, uint32_t percentile,
                                 Histogram& histogram) const;
    // The two halves of the mixed mapping, split into what depends on the frame as a whole
    // (statistics, gain, the cumulative table; kept in the object) and the per-value grey:
    // linear by linearGrey, equalised by tables.byBin over the occupied bins.
    LinearMap prepareLinear(const PercentileScan& scan, uint32_t brightness, uint32_t contrast,
                            uint32_t minimumSpan);
    void prepareEqualised(const PercentileScan& scan, uint32_t plateau, uint32_t maxRange,
                          uint32_t brightness, MappingTables& tables);

    // Stages that keep state or tables in the object; each writes out (or returns false and
    // writes nothing, when it leaves the frame as it is).
    bool filterTemporal(int16_t* out, const int16_t* in);
    bool removeStripes(int16_t* out, const int16_t* in, int32_t w, int32_t h, bool rows,
                       int16_t* transposed);
    bool smooth(int16_t* out, const int16_t* in, int32_t w, int32_t h, int16_t* bordered);
    // The smoothing kernel: 3 x 3 with sigma 5 until setSmoothingSigma rebuilds it.
    uint32_t* smoothingKernel();
    void mapWithDetail(uint8_t* out, const int16_t* in, int32_t w, int32_t h,
                       const DetailScratch& scratch);
    void colourise(uint8_t* out, const uint8_t* grey, int32_t w, int32_t h,
                   const int16_t* frame, int64_t frameCount) const;
    void takeImageStatistics(const uint8_t* image, size_t count);
    bool zoomApplies() const;    // a zoom other than 1.0 in mode 0 or 1
    bool colourApplies() const;  // the colour stage on with a known format
    // Whether the run keeps the equalised record (only the temperature-aware colouring reads it).
    bool keepsEqualisedRecord() const { return pseudoColourOn && paletteKind == 1; }

    int32_t width_ = 0, height_ = 0;
    float zoom_ = 1.0f;
    uint32_t temporalSigma_ = 8;
    uint32_t temporalFrames_ = 0;
    std::array<uint32_t, 128> temporalWeights_{};
    LazyTable stripeRange_, smoothingKernel_, smoothingRange_, detailKernel_, detailRange_;
    std::array<uint8_t, 256> lut_{};
    bool flatFieldLoaded_ = false;
    std::vector<uint16_t> flatFieldDark_, flatFieldGain_, flatFieldRaw_;
    std::vector<int16_t> temporalHistory_;
    std::vector<uint8_t> savedTileMaps_;  // 256 greys per tile, row by row
    uint32_t savedTilesX_ = 0, savedTilesY_ = 0;
    std::vector<int16_t> frameCopy_;
    std::vector<uint8_t> imageCopy_;
    EqualisedRecord equalised_;
};

}  // namespace kmm
