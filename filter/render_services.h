// What the filter asks of whoever runs it: every host front-end offers these four services,
// and the filter reaches its host through nothing else.
#pragma once

#include "filter/iteration_job.h"

#include <concepts>
#include <cstdint>

template <class Host>
concept RenderServices = requires(Host &host, int32_t &count, const IterationJob &job) {
    // The host's success code; every other code stops the render and is returned as it is.
    { host.noError() } -> std::convertible_to<int32_t>;
    // Called after every row: anything but noError stops the band.
    { host.progress(int32_t{}, int32_t{}, int32_t{}) } -> std::convertible_to<int32_t>;
    // How many bands to cut the rows into, at most `limit`.
    { host.getThreadCount(count, int32_t{}) } -> std::convertible_to<int32_t>;
    // Runs the job once per band; a thread index of -1 asks for the bands to run in parallel.
    { host.runIterations(int32_t{}, job, int32_t{}) } -> std::convertible_to<int32_t>;
};
