"""Python threads rendering at once, each through its own effect instance, give the bytes of
one render at a time."""
import threading

import numpy as np
import zephyrine

from conftest import random_image

# Two different jobs, so a mix-up of instances, controls or buffers between threads shows.
JOBS = [
    (random_image(np.uint8, height=300, width=400, seed=2), {"tilt_forward": 0.3, "invert_y": True}),
    (random_image(np.uint16, height=250, width=350, seed=3), {"traditional_format": True}),
]


def test_two_threads_render_the_bytes_of_one_at_a_time():
    one_at_a_time = [zephyrine.render(image, **controls) for image, controls in JOBS]
    start = threading.Barrier(len(JOBS))
    mismatches = []

    def render_repeatedly(job):
        image, controls = JOBS[job]
        start.wait()
        for _ in range(20):
            if not np.array_equal(zephyrine.render(image, **controls), one_at_a_time[job]):
                mismatches.append(job)

    threads = [threading.Thread(target=render_repeatedly, args=(job,)) for job in range(len(JOBS))]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    assert mismatches == []
