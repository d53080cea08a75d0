#include "embedhost/effect_instance.h"

#include <chrono>
#include <utility>

namespace embedhost {

namespace {

// The controls as the effect documents them for the projects that store them: each one's id
// and kind, in the order of Controls' members. Their indexes are whatever params setup gave.
struct ControlKind {
    A_long id;
    PF_ParamType type;
};
constexpr std::array<ControlKind, 8> kControls = {{{1, PF_Param_FLOAT_SLIDER},
                                                   {2, PF_Param_FLOAT_SLIDER},
                                                   {3, PF_Param_FLOAT_SLIDER},
                                                   {4, PF_Param_CHECKBOX},
                                                   {5, PF_Param_CHECKBOX},
                                                   {6, PF_Param_CHECKBOX},
                                                   {7, PF_Param_CHECKBOX},
                                                   {8, PF_Param_CHECKBOX}}};

std::array<PF_ParamIndex, 8> registeredIndexes(ParameterArray &parameters) {
    std::array<PF_ParamIndex, 8> indexes{};
    for (std::size_t control = 0; control < kControls.size(); ++control) {
        const ControlKind wanted = kControls[control];
        PF_ParamIndex index = 1;
        while (index < parameters.size() && parameters.at(index).uu.id != wanted.id) {
            ++index;
        }
        if (index == parameters.size()) {
            throw std::runtime_error("the effect registered no control with id " + std::to_string(wanted.id));
        }
        if (parameters.at(index).param_type != wanted.type) {
            throw std::runtime_error("the effect registered control " + std::to_string(wanted.id) + " (\"" +
                                     parameters.at(index).name + "\") as another kind than a " +
                                     (wanted.type == PF_Param_CHECKBOX ? "checkbox" : "float slider"));
        }
        indexes[control] = index;
    }
    return indexes;
}

std::string describe(PF_Err code, const std::string &effectMessage) {
    const std::string name = errorName(code);
    std::string text = "the effect returned " +
                       (name.empty() ? "error " + std::to_string(code) : name + " (" + std::to_string(code) + ")");
    return effectMessage.empty() ? text : text + ": " + effectMessage;
}

} // namespace

const char *errorName(PF_Err code) {
    switch (code) {
    case PF_Err_OUT_OF_MEMORY:
        return "PF_Err_OUT_OF_MEMORY";
    case PF_Err_INTERNAL_STRUCT_DAMAGED:
        return "PF_Err_INTERNAL_STRUCT_DAMAGED";
    case PF_Err_INVALID_INDEX:
        return "PF_Err_INVALID_INDEX";
    case PF_Err_UNRECOGNIZED_PARAM_TYPE:
        return "PF_Err_UNRECOGNIZED_PARAM_TYPE";
    case PF_Err_INVALID_CALLBACK:
        return "PF_Err_INVALID_CALLBACK";
    case PF_Err_BAD_CALLBACK_PARAM:
        return "PF_Err_BAD_CALLBACK_PARAM";
    case PF_Interrupt_CANCEL:
        return "PF_Interrupt_CANCEL";
    case PF_Err_CANNOT_PARSE_KEYFRAME_TEXT:
        return "PF_Err_CANNOT_PARSE_KEYFRAME_TEXT";
    default:
        return "";
    }
}

RenderError::RenderError(PF_Err code, const std::string &effectMessage)
    : std::runtime_error(describe(code, effectMessage)), code(code) {}

EffectInstance::EffectInstance(std::shared_ptr<const PluginModule> module, const Controls &controls)
    : module_(std::move(module)), host_(module_->entryPoint()) {
    const PF_Err about = host_.about();
    about_ = host_.outData().return_msg;
    check(about);
    try {
        check(host_.globalSetup());
        globalSetUp_ = true;
        check(host_.paramsSetup());
        check(host_.sequenceSetup());
        sequenceSetUp_ = true;
        controlIndexes_ = registeredIndexes(host_.parameters());
    } catch (...) {
        setDown();
        throw;
    }
    setControls(controls);
}

EffectInstance::~EffectInstance() { setDown(); }

void EffectInstance::setDown() {
    // A host ignores what a setdown returns: there is nothing left to undo.
    if (sequenceSetUp_) {
        host_.sequenceSetdown();
    }
    if (globalSetUp_) {
        host_.globalSetdown();
    }
    sequenceSetUp_ = globalSetUp_ = false;
}

void EffectInstance::check(PF_Err err) {
    const std::string message = host_.outData().return_msg;
    host_.outData().return_msg[0] = '\0'; // so that no later command's error shows this text
    if (err != PF_Err_NONE) {
        throw RenderError(err, message);
    }
}

void EffectInstance::setControls(const Controls &controls) {
    ParameterArray &parameters = host_.parameters();
    const double tilts[] = {controls.tiltForward, controls.tiltSideways, controls.tiltUpwards};
    const bool boxes[] = {controls.invertX, controls.invertY, controls.invertZ, controls.invertAll,
                          controls.traditional};
    for (std::size_t i = 0; i < 3; ++i) {
        parameters.setFloat(controlIndexes_[i], tilts[i]);
    }
    for (std::size_t i = 0; i < 5; ++i) {
        parameters.setCheckbox(controlIndexes_[3 + i], boxes[i]);
    }
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
    check(err);
}

} // namespace embedhost
