// An in-process OpenFX host: finds a bundle in a folder, loads its binary as hosts do, and
// drives the plug-in through load, describe, describe in context, instances, renders and
// unload, with the property, image effect, parameter and multithread suites behind it. It
// reaches the plug-in only through the binary's exports and the records they return, and
// records what it saw. One host at a time in a process: the multithread suite's functions
// carry no handle, so they answer for the host alive.
#pragma once

#include "api/ofx_core.h"
#include "ofxsim/band_threads.h"
#include "ofxsim/image.h"
#include "ofxsim/objects.h"
#include "ofxsim/property_set.h"
#include "platform/module.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace ofxsim {

// How the host answers; every field defaults to a host that offers everything.
struct Script {
    std::vector<std::string> refusedSuites; // fetchSuite answers null for these names
    std::string nullMembersOf;              // ... or a suite of this name with no functions
    bool callOfxSetHost = false;            // call the binary's OfxSetHost before OfxGetPlugin
    unsigned int processors = 4;            // multiThreadNumCPUs
    unsigned int threadLimit = 0;           // multiThread starts at most this many (0: as asked)
    bool refuseMultiThread = false;         // multiThread answers failure, running nothing
    int abortFromCall = 0;                  // abort answers 1 from this call on (0: never)
};

struct Observations {
    std::mutex lock;
    std::vector<std::string> fetchedSuites;
    std::vector<std::thread::id> imageFetchThreads;
    std::set<std::thread::id> bandThreads;
    std::vector<unsigned int> threadMaxes; // of every multiThread call
    std::atomic<int> imagesOutstanding{0};
    std::atomic<int> abortCalls{0};
};

// What a render action is given.
struct RenderArguments {
    double time = 0.0;
    OfxRectI window{0, 0, 0, 0};
    double renderScale[2] = {1.0, 1.0};
    std::vector<std::pair<std::string, int>> integers; // more integer arguments, by name
};

class HostSim {
public:
    // Loads the bundle's binary for this platform and checks its plug-in record; throws
    // std::runtime_error saying why it cannot.
    explicit HostSim(const std::string &bundle);
    ~HostSim(); // destroys the instances left, unloads the plug-in if it was loaded, unloads the binary
    HostSim(const HostSim &) = delete;
    HostSim &operator=(const HostSim &) = delete;

    // The bundles under a folder (searched recursively; names starting with '@' skipped), as
    // the bundle folders' paths, and the binary a bundle holds for this platform.
    static std::vector<std::string> findBundles(const std::string &folder);
    static std::string binaryOf(const std::string &bundle);
    // The bundle built beside the running executable.
    static std::string bundleBesideExecutable();

    const OfxPlugin &plugin() const { return *plugin_; }
    OfxStatus action(const char *action, const void *handle, PropertySet *inArgs = nullptr,
                     PropertySet *outArgs = nullptr);

    OfxStatus load();
    OfxStatus unload();
    OfxStatus describe();
    OfxStatus describeInContext(const std::string &context);
    // An instance in a context described before; null when the plug-in refuses it.
    Effect *createInstance(const std::string &context, OfxStatus &status);
    OfxStatus destroyInstance(Effect *instance);
    OfxStatus render(Effect &instance, const RenderArguments &arguments);
    // load, describe, describe in the context, and an instance; throws when a step fails.
    Effect &instanceReady(const std::string &context);

    // Hands `image` over from the instance's clip (null: fetching it fails) and sets the
    // clip's depth and components from it.
    void attach(Effect &instance, const std::string &clip, Image *image);
    void setValue(Effect &instance, const std::string &parameter, double value);
    void setValue(Effect &instance, const std::string &parameter, int value);
    static Parameter &parameterOf(Effect &instance, const std::string &name);

    Effect *descriptor() { return descriptor_.get(); }
    Effect *contextDescriptor(const std::string &context);
    PropertySet &hostProperties() { return hostProperties_; }
    Script &script() { return script_; }
    Observations &seen() { return seen_; }

    // The host alive, for the suites' functions.
    static HostSim &active();

    // The suites' functions (suites.cpp).
    const void *fetchSuite(const char *name, int version);
    OfxStatus getImage(Clip &clip, PropertySet *&image);
    OfxStatus releaseImage(OfxPropertySetHandle image);
    int abortRequested();
    OfxStatus runThreads(void (*function)(unsigned int, unsigned int, void *), unsigned int threads, void *argument);

private:
    std::unique_ptr<Effect> makeDescriptorCopy(const Effect &from, const std::string &context);

    platform::ModuleHandle module_ = nullptr;
    std::string binary_;
    OfxPlugin *plugin_ = nullptr;
    PropertySet hostProperties_;
    OfxHost host_{};
    Script script_;
    Observations seen_;
    bool loaded_ = false;
    std::unique_ptr<Effect> descriptor_;
    std::vector<std::pair<std::string, std::unique_ptr<Effect>>> contexts_;
    std::vector<std::unique_ptr<Effect>> instances_;
    std::mutex imagesLock_;
    std::set<PropertySet *> images_; // handed out and not given back
    BandThreads bandThreads_;
};

} // namespace ofxsim
