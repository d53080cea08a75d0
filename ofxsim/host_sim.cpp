#include "ofxsim/host_sim.h"

#include "api/ofx_names.h"
#include "ofxsim/property_specs.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <stdexcept>

namespace ofxsim {

namespace {

std::atomic<HostSim *> activeHost{nullptr};

// The bundle folder of this build's architecture. OpenFX names no arm64 Linux folder; hosts
// that load such binaries use "Linux-" and the machine's name, Linux-aarch64.
#if defined(_WIN32)
constexpr char kArchitecture[] = "Win64";
#elif defined(__aarch64__)
constexpr char kArchitecture[] = "Linux-aarch64";
#else
constexpr char kArchitecture[] = "Linux-x86-64";
#endif
constexpr char kBundleSuffix[] = ".ofx.bundle";

bool endsWith(const std::string &text, const std::string &end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

template <class F> F *symbol(platform::ModuleHandle module, const char *name) {
    return reinterpret_cast<F *>(platform::moduleSymbol(module, name));
}

const void *fetchSuiteCallback(OfxPropertySetHandle, const char *name, int version) {
    return HostSim::active().fetchSuite(name, version);
}

} // namespace

HostSim::HostSim(const std::string &bundle) : binary_(binaryOf(bundle)), hostProperties_({&specs::host()}) {
    std::string error;
    module_ = platform::loadModule(binary_, error);
    if (module_ == nullptr) {
        throw std::runtime_error("cannot load " + binary_ + ": " + error);
    }
    if (symbol<OfxGetNumberOfPluginsFunction>(module_, kOfxGetNumberOfPluginsName) == nullptr ||
        symbol<OfxGetPluginFunction>(module_, kOfxGetPluginName) == nullptr) {
        platform::unloadModule(module_);
        throw std::runtime_error(binary_ + " exports no OpenFX plug-ins");
    }
    HostSim *none = nullptr;
    if (!activeHost.compare_exchange_strong(none, this)) {
        platform::unloadModule(module_);
        throw std::runtime_error("another simulated OpenFX host is alive");
    }
    host_.host = hostProperties_.handle();
    host_.fetchSuite = fetchSuiteCallback;
}

HostSim::~HostSim() {
    while (!instances_.empty()) {
        destroyInstance(instances_.back().get());
    }
    if (loaded_) {
        unload();
    }
    platform::unloadModule(module_);
    activeHost.store(nullptr);
}

HostSim &HostSim::active() {
    HostSim *host = activeHost.load();
    if (host == nullptr) {
        throw std::logic_error("no simulated OpenFX host is alive");
    }
    return *host;
}

std::vector<std::string> HostSim::findBundles(const std::string &folder) {
    namespace fs = std::filesystem;
    std::vector<std::string> bundles;
    std::error_code error;
    fs::recursive_directory_iterator entry(folder, error), end;
    for (; !error && entry != end; entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        if (!entry->is_directory(error)) {
            continue;
        }
        if (!name.empty() && name.front() == '@') {
            entry.disable_recursion_pending(); // hosts skip folders and bundles named so
        } else if (endsWith(name, kBundleSuffix)) {
            bundles.push_back(entry->path().string());
            entry.disable_recursion_pending();
        }
    }
    std::sort(bundles.begin(), bundles.end());
    return bundles;
}

std::string HostSim::binaryOf(const std::string &bundle) {
    const std::string folder = std::filesystem::path(bundle).filename().string();
    if (!endsWith(folder, kBundleSuffix)) {
        throw std::runtime_error(bundle + " is not an OpenFX bundle");
    }
    const std::string name = folder.substr(0, folder.size() - std::strlen(kBundleSuffix));
    return (std::filesystem::path(bundle) / "Contents" / kArchitecture / (name + ".ofx")).string();
}

std::string HostSim::bundleBesideExecutable() { return platform::executableDirectory() + "/Zephyrine.ofx.bundle"; }

OfxStatus HostSim::action(const char *name, const void *handle, PropertySet *inArgs, PropertySet *outArgs) {
    return plugin_->mainEntry(name, handle, inArgs != nullptr ? inArgs->handle() : nullptr,
                              outArgs != nullptr ? outArgs->handle() : nullptr);
}

OfxStatus HostSim::load() {
    if (script_.callOfxSetHost) {
        if (auto *setHost = symbol<OfxSetHostFunction>(module_, kOfxSetHostName)) {
            setHost(&host_);
        }
    }
    const int count = symbol<OfxGetNumberOfPluginsFunction>(module_, kOfxGetNumberOfPluginsName)();
    plugin_ = count > 0 ? symbol<OfxGetPluginFunction>(module_, kOfxGetPluginName)(0) : nullptr;
    if (plugin_ == nullptr || plugin_->pluginApi == nullptr ||
        std::strcmp(plugin_->pluginApi, kOfxImageEffectPluginApi) != 0 ||
        plugin_->apiVersion != kOfxImageEffectPluginApiVersion || plugin_->mainEntry == nullptr) {
        throw std::runtime_error(binary_ + " holds no image effect of API version 1");
    }
    if (plugin_->setHost != nullptr) {
        plugin_->setHost(&host_);
    }
    const OfxStatus status = action(kOfxActionLoad, nullptr);
    loaded_ = status == kOfxStatOK || status == kOfxStatReplyDefault;
    return status;
}

OfxStatus HostSim::unload() {
    loaded_ = false;
    descriptor_.reset();
    contexts_.clear();
    return action(kOfxActionUnload, nullptr);
}

OfxStatus HostSim::describe() {
    descriptor_ =
        std::make_unique<Effect>(PropertySet({&specs::effectDescriptor()}), PropertySet({&specs::parameterSet()}));
    descriptor_->properties.set("OfxPluginPropFilePath",
                                {std::filesystem::path(binary_).parent_path().parent_path().parent_path().string()});
    return action(kOfxActionDescribe, descriptor_->handle());
}

std::unique_ptr<Effect> HostSim::makeDescriptorCopy(const Effect &from, const std::string &context) {
    auto copy = std::make_unique<Effect>(from.properties, PropertySet({&specs::parameterSet()}));
    copy->properties.define(specs::describeInContextArguments().front());
    copy->properties.set(kOfxImageEffectPropContext, {context});
    return copy;
}

OfxStatus HostSim::describeInContext(const std::string &context) {
    if (descriptor_ == nullptr) {
        throw std::logic_error("describe before describing in a context");
    }
    std::unique_ptr<Effect> described = makeDescriptorCopy(*descriptor_, context);
    PropertySet inArgs({&specs::describeInContextArguments()});
    inArgs.set(kOfxImageEffectPropContext, {context});
    const OfxStatus status = action(kOfxImageEffectActionDescribeInContext, described->handle(), &inArgs);
    if (status == kOfxStatOK || status == kOfxStatReplyDefault) {
        contexts_.emplace_back(context, std::move(described));
    }
    return status;
}

Effect *HostSim::contextDescriptor(const std::string &context) {
    for (auto &[name, described] : contexts_) {
        if (name == context) {
            return described.get();
        }
    }
    return nullptr;
}

Effect *HostSim::createInstance(const std::string &context, OfxStatus &status) {
    Effect *described = contextDescriptor(context);
    if (described == nullptr) {
        throw std::logic_error("no descriptor for the context " + context);
    }
    PropertySet properties(described->properties);
    for (const PropertySpec &spec : specs::effectInstance()) {
        properties.define(spec);
    }
    properties.set(kOfxPropType, {std::string(kOfxTypeImageEffectInstance)});
    properties.set(kOfxImageEffectPropContext, {context});
    auto instance = std::make_unique<Effect>(properties, described->parameters.properties);
    instance->isInstance = true;
    for (const auto &clip : described->clips) {
        PropertySet clipProperties(clip->properties);
        for (const PropertySpec &spec : specs::clipInstance()) {
            clipProperties.define(spec);
        }
        instance->clips.push_back(std::make_unique<Clip>(clip->name, clipProperties));
    }
    for (const auto &parameter : described->parameters.parameters) {
        PropertySet parameterProperties(parameter->properties);
        parameterProperties.set(kOfxPropType, {std::string(kOfxTypeParameterInstance)});
        auto copy = std::make_unique<Parameter>(parameter->type, parameter->name, parameterProperties);
        copy->real = parameter->properties.real(kOfxParamPropDefault);
        copy->integer = parameter->properties.integer(kOfxParamPropDefault);
        instance->parameters.parameters.push_back(std::move(copy));
    }
    status = action(kOfxActionCreateInstance, instance->handle());
    if (status != kOfxStatOK && status != kOfxStatReplyDefault) {
        return nullptr;
    }
    instances_.push_back(std::move(instance));
    return instances_.back().get();
}

OfxStatus HostSim::destroyInstance(Effect *instance) {
    const auto found = std::find_if(instances_.begin(), instances_.end(),
                                    [instance](const auto &owned) { return owned.get() == instance; });
    if (found == instances_.end()) {
        throw std::logic_error("not an instance of this host");
    }
    const OfxStatus status = action(kOfxActionDestroyInstance, instance->handle());
    instances_.erase(found);
    return status;
}

Effect &HostSim::instanceReady(const std::string &context) {
    OfxStatus status = load();
    status = status == kOfxStatOK ? describe() : status;
    status = status == kOfxStatOK ? describeInContext(context) : status;
    Effect *instance = status == kOfxStatOK ? createInstance(context, status) : nullptr;
    if (instance == nullptr) {
        throw std::runtime_error("the plug-in refused an instance in " + context + ": status " +
                                 std::to_string(status));
    }
    return *instance;
}

OfxStatus HostSim::render(Effect &instance, const RenderArguments &arguments) {
    PropertySet inArgs({&specs::renderArguments()});
    inArgs.set(kOfxPropTime, {arguments.time});
    const OfxRectI &w = arguments.window;
    inArgs.set(kOfxImageEffectPropRenderWindow, {w.x1, w.y1, w.x2, w.y2});
    inArgs.set(kOfxImageEffectPropRenderScale, {arguments.renderScale[0], arguments.renderScale[1]});
    for (const auto &[name, value] : arguments.integers) {
        inArgs.set(name, {value});
    }
    return action(kOfxImageEffectActionRender, instance.handle(), &inArgs);
}

void HostSim::attach(Effect &instance, const std::string &clipName, Image *image) {
    Clip *clip = instance.clip(clipName);
    if (clip == nullptr) {
        throw std::logic_error("no clip " + clipName);
    }
    clip->image = image;
    if (image != nullptr) {
        for (const char *depth : {kOfxImageEffectPropPixelDepth, "OfxImageClipPropUnmappedPixelDepth"}) {
            clip->properties.set(depth, {std::string(image->depthName())});
        }
        for (const char *components : {kOfxImageEffectPropComponents, "OfxImageClipPropUnmappedComponents"}) {
            clip->properties.set(components, {std::string(image->componentsName())});
        }
    }
}

void HostSim::setValue(Effect &instance, const std::string &name, double value) {
    parameterOf(instance, name).real = value;
}

void HostSim::setValue(Effect &instance, const std::string &name, int value) {
    parameterOf(instance, name).integer = value;
}

Parameter &HostSim::parameterOf(Effect &instance, const std::string &name) {
    Parameter *parameter = instance.parameters.find(name);
    if (parameter == nullptr) {
        throw std::logic_error("no parameter " + name);
    }
    return *parameter;
}

} // namespace ofxsim
