// The effect's filter over one pixel format: runs the vector arithmetic over bands of rows,
// asking the host after every row whether to go on.
#pragma once

#include "filter/corvanthis_filter.h"
#include "filter/pixel_array.h"
#include "filter/render_services.h"
#include "filter/row_kernels.h"
#include "filter/vector_transform.h"

#include <algorithm>
#include <cstdint>

template <class View, RenderServices Host> class ZephyrineFilter : public CorvanthisFilter {
public:
    using Pixel = typename View::PixelType;

    // `transformRow` turns one row of the view's pixels; by default the kernel of the format.
    explicit ZephyrineFilter(Host *host, RowFunction transformRow = activeRowKernels().template rowFor<Pixel>())
        : host(host), transformRow(transformRow) {}

    // Runs every row of the input: one band per thread the host grants, bounded by the rows.
    virtual int32_t apply() {
        host->noError();
        int32_t threads = 1;
        const int32_t counted = host->getThreadCount(threads, input.height);
        if (counted != host->noError()) {
            return counted;
        }
        return host->runIterations(threads, IterationJob{this, rowsCallback}, -1);
    }

    // Processes band `job` of `jobCount` (rows divided evenly, the last band takes the rest).
    virtual int32_t applyRows(int32_t job, int32_t jobCount, int32_t threadIndex) {
        const int32_t success = host->noError();
        const RowBand band = rowBand(job, jobCount);
        if (band.begin >= band.end) {
            return success;
        }
        // Never read or write outside either view, whatever sizes the host delivered.
        const int32_t lastRow = std::min(band.end, std::max(output.height, 0));
        const int32_t columns = input.hasData && output.hasData ? std::min(input.width, output.width) : 0;
        for (int32_t y = band.begin; y < lastRow; ++y) {
            transformRow(controls, input.row(y), output.row(y), columns);
            const int32_t answer = host->progress(0, 1, threadIndex);
            if (answer != success) {
                return answer;
            }
        }
        return success;
    }

    // The IterationFunction handed to the host; the context is the filter.
    static int32_t rowsCallback(void *context, int32_t iteration, int32_t iterationCount, int32_t threadIndex) {
        return static_cast<ZephyrineFilter *>(context)->applyRows(iteration, iterationCount, threadIndex);
    }

    Host *host;
    View input;
    View output;
    VectorControls controls;

private:
    struct RowBand {
        int32_t begin, end;
    };

    // Rows of a job: q = H / n in unsigned arithmetic, job i covers [i q, (i + 1) q).
    RowBand rowBand(int32_t job, int32_t jobCount) const {
        if (input.height <= 0 || jobCount <= 0 || job < 0 || job >= jobCount) {
            return {0, 0};
        }
        const uint32_t rows = static_cast<uint32_t>(input.height);
        const uint32_t perJob = rows / static_cast<uint32_t>(jobCount);
        const auto begin = static_cast<uint32_t>(job) * perJob;
        const uint32_t end = job == jobCount - 1 ? rows : begin + perJob;
        return {static_cast<int32_t>(begin), static_cast<int32_t>(end)};
    }

    RowFunction transformRow;
};
