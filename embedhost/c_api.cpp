// The C interface (include/zephyrine/zephyrine.h) on the host library: arguments checked here,
// every exception caught at the boundary and kept as the calling thread's last error.
#include "zephyrine/zephyrine.h"

#include "embedhost/image_render.h"
#include "embedhost/instance_pool.h"
#include "embedhost/length_check.h"
#include "embedhost/library_location.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <cstdio>
#include <limits>
#include <mutex>
#include <new>
#include <stdexcept>
#include <string>

struct zephyrine_renderer {
    explicit zephyrine_renderer(const std::string &path) : pool(path) {}
    embedhost::InstancePool pool;
    std::once_flag aboutAsked; // the about text is asked for once and kept
    std::string about;
};

namespace {

// The version of the C interface this library implements.
constexpr int32_t kApiVersion = ZEPHYRINE_API_VERSION;

thread_local std::string lastError;

struct ArgumentError : std::invalid_argument {
    using std::invalid_argument::invalid_argument;
};

// Runs `call`, turning what it throws into a status and the thread's last error.
template <class Call> zephyrine_status guarded(Call call) {
    try {
        call();
        lastError.clear();
        return ZEPHYRINE_OK;
    } catch (const ArgumentError &error) {
        lastError = error.what();
        return ZEPHYRINE_INVALID_ARGUMENT;
    } catch (const embedhost::ForkedProcessError &error) {
        lastError = error.what();
        return ZEPHYRINE_FORKED;
    } catch (const embedhost::RenderError &error) {
        lastError = error.what();
        return ZEPHYRINE_RENDER_FAILED;
    } catch (const std::bad_alloc &) {
        lastError = "out of memory";
        return ZEPHYRINE_OUT_OF_MEMORY;
    } catch (const std::exception &error) {
        lastError = error.what();
        return ZEPHYRINE_FAILED;
    } catch (...) {
        lastError = "an unknown failure";
        return ZEPHYRINE_FAILED;
    }
}

int depthOf(int32_t type) {
    switch (type) {
    case ZEPHYRINE_U8:
        return 8;
    case ZEPHYRINE_U16:
        return 16;
    case ZEPHYRINE_F32:
        return 32;
    default:
        return 0;
    }
}

// The image checked, as the host library's view of it.
embedhost::ImageView viewOf(const zephyrine_image *image, const char *name) {
    const std::string what(name);
    if (image == nullptr || image->pixels == nullptr) {
        throw ArgumentError(what + " is null");
    }
    const int depth = depthOf(image->type);
    if (depth == 0) {
        throw ArgumentError(what + " has channel type " + std::to_string(image->type) +
                            "; zephyrine renders ZEPHYRINE_U8, ZEPHYRINE_U16 or ZEPHYRINE_F32");
    }
    if (image->channels != 3 && image->channels != 4) {
        throw ArgumentError(what + " has " + std::to_string(image->channels) +
                            " channels; zephyrine renders 3 (RGB) or 4 (RGBA)");
    }
    if (image->width <= 0 || image->height <= 0) {
        throw ArgumentError(what + " is " + std::to_string(image->width) + " x " + std::to_string(image->height) +
                            " pixels; both must be at least 1");
    }
    // A host world is addressed with 32-bit row sizes.
    if (image->width > std::numeric_limits<int32_t>::max() / (4 * depth / 8)) {
        throw ArgumentError(what + " is too wide for the effect: " + std::to_string(image->width) + " pixels");
    }
    embedhost::ImageView view{static_cast<unsigned char *>(image->pixels), image->height, image->width, depth,
                              {image->channels, image->channels}, 0};
    const auto channelBytes = static_cast<std::uintptr_t>(depth / 8);
    if (image->row_bytes < 0 || static_cast<uint64_t>(image->row_bytes) < view.packedRowBytes()) {
        throw ArgumentError(what + " has row_bytes " + std::to_string(image->row_bytes) + ", fewer than its " +
                            std::to_string(view.packedRowBytes()) + " bytes of pixels a row");
    }
    if (reinterpret_cast<std::uintptr_t>(image->pixels) % channelBytes != 0 ||
        static_cast<uint64_t>(image->row_bytes) % channelBytes != 0) {
        throw ArgumentError(what + "'s pixels and row_bytes must be multiples of its channel size, " +
                            std::to_string(channelBytes) + " bytes");
    }
    view.rowBytes = static_cast<std::size_t>(image->row_bytes);
    return view;
}

double checkedTilt(const char *name, double value) {
    if (!(value >= -1.0 && value <= 1.0)) {
        char shown[32];
        std::snprintf(shown, sizeof shown, "%g", value);
        throw ArgumentError(std::string(name) + " must be a number from -1 to 1, not " + shown);
    }
    return value;
}

embedhost::Controls controlsOf(const zephyrine_controls *given) {
    if (given == nullptr) {
        return {};
    }
    // A caller built against a later header passes a larger struct: its first members are these.
    if (given->size < sizeof(zephyrine_controls)) {
        throw ArgumentError("controls has size " + std::to_string(given->size) + ", not at least " +
                            std::to_string(sizeof(zephyrine_controls)) + ": set it to sizeof(zephyrine_controls)");
    }
    return {checkedTilt("tilt_forward", given->tilt_forward),
            checkedTilt("tilt_sideways", given->tilt_sideways),
            checkedTilt("tilt_upwards", given->tilt_upwards),
            given->invert_x != 0,
            given->invert_y != 0,
            given->invert_z != 0,
            given->invert_all != 0,
            given->traditional_format != 0};
}

zephyrine_renderer &renderer(zephyrine_renderer *given) {
    if (given == nullptr) {
        throw ArgumentError("renderer is null");
    }
    return *given;
}

} // namespace

extern "C" {

const char *zephyrine_version(void) { return ZEPHYRINE_VERSION; }

int32_t zephyrine_api_version(void) { return kApiVersion; }

const char *zephyrine_last_error(void) { return lastError.c_str(); }

zephyrine_renderer *zephyrine_open(const char *plugin_path) {
    zephyrine_renderer *opened = nullptr;
    guarded([&] {
        const std::string path = plugin_path != nullptr ? std::string(plugin_path) : embedhost::locatePlugin();
        opened = new zephyrine_renderer(path);
    });
    return opened;
}

void zephyrine_close(zephyrine_renderer *renderer) { delete renderer; }

const char *zephyrine_plugin_path(zephyrine_renderer *given) {
    const char *path = nullptr;
    guarded([&] { path = renderer(given).pool.pluginPath().c_str(); });
    return path;
}

const char *zephyrine_about(zephyrine_renderer *given) {
    const char *text = nullptr;
    guarded([&] {
        zephyrine_renderer &r = renderer(given);
        std::call_once(r.aboutAsked, [&] {
            embedhost::InstancePool::Lease effect = r.pool.borrow(0, 0, 0);
            std::string about = effect->aboutText();
            effect.giveBack();
            // Host dialogs break lines at carriage returns; a program prints line feeds.
            std::replace(about.begin(), about.end(), '\r', '\n');
            r.about = about;
        });
        text = r.about.c_str();
    });
    return text;
}

void zephyrine_default_controls(zephyrine_controls *controls) {
    if (controls != nullptr) {
        *controls = zephyrine_controls{};
        controls->size = sizeof(zephyrine_controls);
    }
}

zephyrine_status zephyrine_render(zephyrine_renderer *given, const zephyrine_image *source,
                                  const zephyrine_image *destination, const zephyrine_controls *controls) {
    return guarded([&] {
        zephyrine_renderer &r = renderer(given);
        const embedhost::ImageView from = viewOf(source, "source");
        const embedhost::ImageView to = viewOf(destination, "destination");
        if (to.width != from.width || to.height != from.height || to.depth != from.depth ||
            to.layout.channels != from.layout.channels) {
            throw ArgumentError("destination must have the source's width, height, channels and type");
        }
        const embedhost::Controls chosen = controlsOf(controls);
        embedhost::InstancePool::Lease effect = r.pool.borrow(from.width, from.height, from.depth);
        effect->setControls(chosen);
        embedhost::renderImage(*effect, from, to);
        effect.giveBack();
    });
}

zephyrine_status zephyrine_check(const zephyrine_image *image, int32_t traditional_format,
                                 zephyrine_length_check *result) {
    return guarded([&] {
        const embedhost::ImageView view = viewOf(image, "image");
        if (result == nullptr || result->size < sizeof(zephyrine_length_check)) {
            throw ArgumentError("result must be a zephyrine_length_check with its size set");
        }
        const embedhost::ImagePixels pixels{view.data,
                                            static_cast<std::size_t>(view.width) * static_cast<std::size_t>(view.height),
                                            view.depth,
                                            view.layout,
                                            static_cast<std::size_t>(view.width),
                                            view.rowBytes};
        const bool traditional = traditional_format != 0;
        const embedhost::LengthStats stats =
            embedhost::measureLengths(pixels, embedhost::channelTolerance({view.depth == 32, view.depth}), traditional);
        result->minimum = stats.minimum;
        result->mean = stats.mean;
        result->maximum = stats.maximum;
        result->off_share = stats.offShare;
        result->pixels = stats.pixels;
    });
}

zephyrine_status zephyrine_release_buffers(zephyrine_renderer *given) {
    return guarded([&] { renderer(given).pool.releaseBuffers(); });
}

} // extern "C"
