#include "embedhost/effect_instance.h"

#include <chrono>

namespace embedhost {

namespace {

// Host indexes of the controls, in registration order.
enum : PF_ParamIndex { kForward = 1, kSideways, kUpwards, kInvertX, kInvertY, kInvertZ, kInvertAll, kTraditional };

} // namespace

EffectInstance::EffectInstance(const PluginModule &module, const Controls &controls)
    : host_(module.entryPoint()) {
    PF_Err err = host_.about();
    about_ = host_.outData().return_msg;
    err = err != PF_Err_NONE ? err : host_.globalSetup();
    err = err != PF_Err_NONE ? err : host_.paramsSetup();
    err = err != PF_Err_NONE ? err : host_.sequenceSetup();
    if (err != PF_Err_NONE) {
        throw RenderError(err);
    }
    setControls(controls);
}

void EffectInstance::setControls(const Controls &controls) {
    ParameterArray &parameters = host_.parameters();
    parameters.setFloat(kForward, controls.tiltForward);
    parameters.setFloat(kSideways, controls.tiltSideways);
    parameters.setFloat(kUpwards, controls.tiltUpwards);
    parameters.setCheckbox(kInvertX, controls.invertX);
    parameters.setCheckbox(kInvertY, controls.invertY);
    parameters.setCheckbox(kInvertZ, controls.invertZ);
    parameters.setCheckbox(kInvertAll, controls.invertAll);
    parameters.setCheckbox(kTraditional, controls.traditional);
}

bool EffectInstance::keepsWorldsFor(int width, int height, int depth) const {
    return source_ != nullptr && source_->shape().width == width && source_->shape().height == height &&
           source_->shape().bitDepth == depth;
}

void EffectInstance::dropWorlds() {
    source_.reset();
    output_.reset();
}

std::size_t EffectInstance::worldBytes(int width, int height, int depth) {
    return 2 * World::bytesFor(width, height, depth);
}

World &EffectInstance::sourceFor(int width, int height, int depth) {
    if (!keepsWorldsFor(width, height, depth)) {
        dropWorlds(); // before the new ones are made, so the two sizes never live together
        const WorldShape shape{width, height, depth};
        source_ = std::make_unique<World>(shape);
        output_ = std::make_unique<World>(shape);
    }
    return *source_;
}

void EffectInstance::renderWorlds() {
    host_.setWorlds(source_.get(), output_.get());
    const auto start = std::chrono::steady_clock::now();
    PF_PreRenderOutput answer{};
    PF_Err err = host_.smartPreRender(source_->layer().extent_hint, answer);
    err = err != PF_Err_NONE ? err : host_.smartRender(static_cast<A_short>(source_->shape().bitDepth));
    effectSeconds_ = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    host_.setWorlds(nullptr, nullptr);
    if (err != PF_Err_NONE) {
        throw RenderError(err);
    }
}

} // namespace embedhost
