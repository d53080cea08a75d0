// The classic and the smart render commands: either protocol becomes one render call per bit
// depth, with everything checked out given back to the host.
#include "host/after_effects_host.h"

#include "host/checked_out_parameters.h"
#include "host/pixel_format_suite.h"
#include "host/world_desc.h"
#include "params/numeric_conversions.h"

#include <algorithm>

namespace {

// num / den with a zero denominator taken as 1: a host's 0 must not divide.
double ratio(const PF_RationalScale &scale) {
    return static_cast<double>(scale.num) / static_cast<double>(scale.den != 0 ? scale.den : 1);
}

bool isEmpty(const PF_LRect &rect) { return rect.left >= rect.right || rect.top >= rect.bottom; }

// Moves every edge into the bounds; a rectangle wholly outside collapses onto the nearest edge.
PF_LRect clampInto(PF_LRect rect, const PF_LRect &bounds) {
    rect.left = std::clamp(rect.left, bounds.left, std::max(bounds.left, bounds.right));
    rect.right = std::clamp(rect.right, bounds.left, std::max(bounds.left, bounds.right));
    rect.top = std::clamp(rect.top, bounds.top, std::max(bounds.top, bounds.bottom));
    rect.bottom = std::clamp(rect.bottom, bounds.top, std::max(bounds.top, bounds.bottom));
    return rect;
}

bool reachesOutside(const PF_LRect &rect, const PF_LRect &request) {
    return rect.left < request.left || rect.top < request.top || rect.right > request.right ||
           rect.bottom > request.bottom;
}

} // namespace

void AfterEffectsHost::inputTime(PF_InData *in_data, PF_ParamDef *[], InputTime &time) {
    // The double product can land one unit below current_time; the classic render then checks
    // its source out at that time.
    time.time = truncateToInt32(frameOf("") * static_cast<double>(in_data->local_time_step));
    time.timeStep = in_data->time_step;
    time.timeScale = in_data->time_scale;
}

PF_Err AfterEffectsHost::renderWorlds(int32_t bitDepth, const LayerInput &source, PF_LayerDef &output,
                                      ChannelOrder order) {
    const PF_RationalScale &aspect = inData->pixel_aspect_ratio;
    const double pixelAspect = aspect.den != 0 ? ratio(aspect) : static_cast<double>(aspect.num);
    const double scaleX = ratio(inData->downsample_x);
    const double scaleY = ratio(inData->downsample_y);

    ImageDesc sourceDesc = describeWorld(*source.world, bitDepth);
    sourceDesc.originX = source.originX;
    sourceDesc.originY = source.originY;
    sourceDesc.layerWidth = source.width;
    sourceDesc.layerHeight = source.height;

    ImageDesc outputDesc = describeWorld(output, bitDepth);
    outputDesc.originX = output.origin_x;
    outputDesc.originY = output.origin_y;
    outputDesc.layerWidth = output.width;
    outputDesc.layerHeight = output.height;

    for (ImageDesc *desc : {&sourceDesc, &outputDesc}) {
        desc->bitDepth = bitDepth;
        desc->channelOrder = order;
        desc->pixelAspect = pixelAspect;
        desc->scaleX = scaleX;
        desc->scaleY = scaleY;
    }
    const LayerInputs noLayerInputs; // this effect reads no layer besides its source
    switch (bitDepth) {
    case 8:
        return render8(sourceDesc, outputDesc, noLayerInputs);
    case 16:
        return render16(sourceDesc, outputDesc, noLayerInputs);
    case 32:
        return render32(sourceDesc, outputDesc, noLayerInputs);
    default:
        return noError(); // a depth the effect does not know: nothing is rendered
    }
}

PF_Err AfterEffectsHost::render(PF_InData *in_data, PF_ParamDef *params[], PF_LayerDef *output) {
    if (params == nullptr || params[0] == nullptr || output == nullptr) {
        return PF_Err_BAD_CALLBACK_PARAM; // no source or no output: the frame cannot be rendered
    }
    LayerInput source;
    source.world = &params[0]->u.ld;
    source.width = source.world->width;
    source.height = source.world->height;
    source.originX = in_data->output_origin_x;
    source.originY = in_data->output_origin_y;

    InputTime time;
    inputTime(in_data, params, time);
    PF_Err err = noError();
    PF_ParamDef checkedOut{};
    bool mustCheckIn = false;
    if (time.time != in_data->current_time) {
        err = in_data->inter.checkout_param(in_data->effect_ref, 0, time.time, time.timeStep, time.timeScale,
                                            &checkedOut);
        if (err == noError()) {
            mustCheckIn = true;
            source.world = &checkedOut.u.ld;
            source.width = checkedOut.u.ld.width;
            source.height = checkedOut.u.ld.height;
        }
    }
    const PF_Err result = err == noError() ? renderInItsFormat(in_data, source, *output) : noError();
    const PF_Err checkedIn = mustCheckIn ? in_data->inter.checkin_param(in_data->effect_ref, &checkedOut) : noError();
    // The first error wins: the checkout's, the render's, then a failed check-in.
    return err != noError() ? err : result != noError() ? result : checkedIn;
}

PF_Err AfterEffectsHost::renderInItsFormat(PF_InData *in_data, const LayerInput &source, PF_LayerDef &output) {
    if (in_data->appl_id == PF_APPL_ID_PREMIERE) {
        const PixelFormatSuite formats(in_data);
        if (formats.suite() != nullptr && formats.suite()->GetPixelFormat != nullptr) {
            PrPixelFormat format = PrPixelFormat_Invalid;
            const PF_Err asked = formats.suite()->GetPixelFormat(&output, &format);
            if (asked != noError()) {
                return asked; // the host cannot say what the pixels are: none is touched
            }
            switch (format) {
            case PrPixelFormat_ARGB_4444_8u:
                return renderWorlds(8, source, output);
            case PrPixelFormat_BGRA_4444_8u:
                return renderWorlds(8, source, output, ChannelOrder::bgra);
            case PrPixelFormat_BGRA_4444_16u:
                return renderWorlds(16, source, output, ChannelOrder::bgra);
            case PrPixelFormat_BGRA_4444_32f:
                return renderWorlds(32, source, output, ChannelOrder::bgra);
            default:
                return PF_Err_UNRECOGNIZED_PARAM_TYPE; // a format the effect never declared
            }
        }
    }
    const bool deep = ((source.world->world_flags | output.world_flags) & PF_WorldFlag_DEEP) != 0;
    return renderWorlds(deep ? 16 : 8, source, output);
}

PF_Err AfterEffectsHost::smartPreRender(PF_InData *in_data, void *extra) {
    const auto *pre = static_cast<const PF_PreRenderExtra *>(extra);
    if (pre == nullptr || pre->input == nullptr || pre->output == nullptr || pre->cb == nullptr ||
        pre->cb->checkout_layer == nullptr) {
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    CheckedOutParameters table(*in_data, parameterCount());
    PF_Err err = table.checkOut();
    useParameterTable(table.pointers(), std::min(parameterCount(), CheckedOutParameters::kCapacity));
    InputTime time;
    if (err == noError()) {
        inputTime(in_data, params, time);
    }

    PF_RenderRequest request = pre->input->output_request;
    request.channel_mask = PF_ChannelMask_ARGB;
    request.preserve_rgb_of_zero_alpha = true;
    request.field = PF_Field_FRAME;
    const PF_LRect requested = request.rect;
    PF_LRect rect = requested;
    mapRegion(sourceName(), rect);

    PF_CheckoutResult checkout{};
    if (err == noError()) {
        err = pre->cb->checkout_layer(in_data->effect_ref, 0, 0, &request, time.time, time.timeStep, time.timeScale,
                                      &checkout);
    }
    const PF_Err checkedIn = table.checkIn();
    if (err != noError() || checkedIn != noError()) {
        return err != noError() ? err : checkedIn;
    }
    rect = clampInto(rect, checkout.max_result_rect);
    PF_LRect maxRect = checkout.max_result_rect;
    if (!isEmpty(rect)) {
        mapRegion(outputName(), rect);
    }
    mapRegion(outputName(), maxRect);
    PF_PreRenderOutput &answer = *pre->output;
    answer.max_result_rect = maxRect;
    if (reachesOutside(rect, requested)) {
        answer.flags = PF_RenderOutputFlag_RETURNS_EXTRA_PIXELS;
    }
    answer.solid = false;
    answer.result_rect = clampInto(rect, answer.max_result_rect);
    return noError();
}

PF_Err AfterEffectsHost::smartRender(PF_InData *in_data, void *extra) {
    const auto *smart = static_cast<const PF_SmartRenderExtra *>(extra);
    if (smart == nullptr || smart->input == nullptr || smart->cb == nullptr ||
        smart->cb->checkout_layer_pixels == nullptr || smart->cb->checkout_output == nullptr) {
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    PF_EffectWorld *input = nullptr;
    PF_Err err = smart->cb->checkout_layer_pixels(in_data->effect_ref, 0, &input);
    if (err != noError() || input == nullptr) {
        return err; // no input world is not an error: the output keeps what the host put there
    }
    LayerInput source;
    source.world = input;
    source.originX = input->origin_x;
    source.originY = input->origin_y;
    // The layer's size at the current resolution, in 32-bit unsigned arithmetic as hosts do it.
    const auto scaled = [](const PF_RationalScale &scale, A_long size) {
        const uint32_t den = scale.den != 0 ? scale.den : 1;
        return static_cast<int32_t>(static_cast<uint32_t>(scale.num) * static_cast<uint32_t>(size) / den);
    };
    source.width = scaled(in_data->downsample_x, in_data->width);
    source.height = scaled(in_data->downsample_y, in_data->height);

    PF_EffectWorld *output = nullptr;
    err = smart->cb->checkout_output(in_data->effect_ref, &output);
    if (err != noError() || output == nullptr) {
        return err;
    }
    CheckedOutParameters table(*in_data, parameterCount());
    err = table.checkOut();
    useParameterTable(table.pointers(), std::min(parameterCount(), CheckedOutParameters::kCapacity));
    PF_Err result = noError();
    if (err == noError()) {
        result = renderWorlds(smart->input->bitdepth, source, *output);
    }
    const PF_Err checkedIn = table.checkIn();
    return err != noError() ? err : result != noError() ? result : checkedIn;
}
