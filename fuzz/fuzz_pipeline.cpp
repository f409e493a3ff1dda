// The kmm_pipeline API as a host may drive it: any size and zoom, the setters in any order
// with any values, flat-field frames and look-up tables loaded at any point, runs between
// them into buffers sized by kmm_pipeline_output (and one byte short), and kmm_colour_image
// with any size, palette, format and capacity. Checked: a refusal changes neither the output
// nor the pipeline's output shape, a run into the size it was told succeeds and reports that
// size, a short buffer is refused, and nothing is touched outside the buffers.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "fuzz_input.h"

using namespace kmm::fuzz;

namespace {

bool operator==(const kmm_pipeline_image& a, const kmm_pipeline_image& b) {
    return a.width == b.width && a.height == b.height && a.bytes_per_pixel == b.bytes_per_pixel &&
           a.bytes == b.bytes;
}

kmm_pipeline_image outputOf(const kmm_pipeline* p) {
    kmm_pipeline_image image{};
    check(kmm_pipeline_output(p, &image) == KMM_OK);
    return image;
}

bool untouched(const std::vector<uint8_t>& bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](uint8_t b) { return b == 0xA5; });
}

// A run into exactly the bytes the pipeline asked for, or one fewer.
void run(kmm_pipeline* p, Input& in, size_t pixels, bool short_) {
    const kmm_pipeline_image expected = outputOf(p);
    const auto frame = in.values<int16_t>(pixels);
    const size_t capacity = size_t(expected.bytes) - (short_ && expected.bytes > 0 ? 1 : 0);
    std::vector<uint8_t> out(std::max<size_t>(capacity, 1), 0xA5);
    kmm_pipeline_image image{};
    const kmm_status status = kmm_pipeline_run(p, frame.data(), out.data(), capacity, &image);
    if (capacity < expected.bytes) {
        check(status == KMM_ERROR_BUFFER_TOO_SMALL && untouched(out));
    } else {
        check(status == KMM_OK && image == expected);
    }
}

void colourImage(Input& in, const PipelineCall& c) {
    const int32_t w = side(int16_t(c.values[0]), 96), h = side(int16_t(c.values[1]), 96);
    const size_t n = pixels(w, h);
    const auto grey = in.values<uint8_t>(n);
    const size_t capacity = c.on & 1 ? 4 * n : uint16_t(c.low) % (4 * n + 1);
    std::vector<uint8_t> out(capacity + 16, 0xA5);  // 16 bytes past the capacity stay
    size_t written = 0;
    const kmm_status status = kmm_colour_image(grey.data(), w, h, c.values[2],
                                               kmm_colour_format(uint16_t(c.high) % 16),
                                               out.data(), capacity, &written);
    if (status == KMM_OK) {
        check(written <= capacity);
        check(untouched({out.begin() + std::ptrdiff_t(written), out.end()}));
    } else {
        check(untouched(out));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Input in(data, size);
    const auto setup = in.take<PipelineInput>();
    const int32_t w = side(setup.width, 96), h = side(setup.height, 96);
    // Zoomed images above 2^18 pixels only slow the search (the zoom is the same at any size)
    // and near the 2^29 limit need gigabytes: they become x2; those past the limit stay.
    float zoom = setup.zoom;
    const double area = double(pixels(w, h)) * zoom * zoom;
    if (area > double(1 << 18) && area <= double(1u << 31)) zoom = 2.0f;
    kmm_pipeline* p = kmm_pipeline_create(w, h, zoom);
    if (!p) {
        check(kmm_pipeline_set_mapping(nullptr, 0) == KMM_ERROR_NULL_ARGUMENT);
        return 0;
    }
    const size_t n = pixels(w, h);
    for (int calls = 0; calls < 64 && !in.empty(); ++calls) {
        const auto c = in.take<PipelineCall>();
        const uint32_t* v = c.values;
        const kmm_pipeline_image before = outputOf(p);
        kmm_status status = KMM_OK;
        switch (c.which % kPipelineCalls) {
        case 0: status = kmm_pipeline_set_flat_field(p, c.on); break;
        case 1: status = kmm_pipeline_set_bad_pixel_repair(p, c.on); break;
        case 2: {
            std::vector<uint16_t> frames[3];
            const uint16_t* given[3] = {};
            for (int f = 0; f < 3; ++f)
                if (!(c.on & (1 << f))) given[f] = (frames[f] = in.values<uint16_t>(n)).data();
            status = kmm_pipeline_load_flat_field(p, given[0], given[1], given[2]);
            break;
        }
        case 3: status = kmm_pipeline_set_temporal_filter(p, c.on, v[0]); break;
        case 4: status = kmm_pipeline_set_column_stripes(p, c.on, v[0], v[1], v[2]); break;
        case 5: status = kmm_pipeline_set_row_stripes(p, c.on, v[0], v[1], v[2]); break;
        case 6: status = kmm_pipeline_set_smoothing(p, c.on, v[0], v[1]); break;
        case 7: status = kmm_pipeline_set_mirror(p, c.on, v[0]); break;
        case 8: status = kmm_pipeline_set_rotation(p, c.on, v[0]); break;
        case 9: status = kmm_pipeline_set_mapping(p, v[0]); break;
        case 10: status = kmm_pipeline_set_window(p, c.high, c.low); break;
        case 11: status = kmm_pipeline_set_linear(p, v[0], v[1], v[2]); break;
        case 12: status = kmm_pipeline_set_equalised(p, v[0], v[1], v[2]); break;
        case 13: status = kmm_pipeline_set_detail(p, c.on, v[0], v[1]); break;
        case 14: status = kmm_pipeline_set_adaptive_equalisation(p, c.on, v[0], v[1], v[2]); break;
        case 15: status = kmm_pipeline_set_lut(p, c.on); break;
        case 16: status = kmm_pipeline_load_lut(p, in.values<uint8_t>(256).data()); break;
        case 17: status = kmm_pipeline_set_sharpen(p, c.on, c.amount); break;
        case 18: status = kmm_pipeline_set_contrast(p, c.on, v[0], v[1]); break;
        case 19: status = kmm_pipeline_set_zoom_mode(p, v[0]); break;
        case 20:
            status = kmm_pipeline_set_colour(p, c.on, v[0], kmm_colour_format(v[1] % 16),
                                             int32_t(v[2]));
            break;
        case 21: status = kmm_pipeline_set_marks(p, v[0], c.high, c.low, v[1], v[2]); break;
        case 22: run(p, in, n, v[0] & 1); break;
        default: colourImage(in, c);
        }
        if (status != KMM_OK) check(outputOf(p) == before);
    }
    kmm_pipeline_destroy(p);
    return 0;
}
