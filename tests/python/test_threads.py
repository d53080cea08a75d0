"""Python threads rendering at once, each through its own effect instance, give the bytes of
one render at a time; a fork while one renders, and the buffers given back."""
import os
import signal
import threading
import time

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


def test_a_child_forked_during_a_render_gets_an_error_not_a_hang():
    # The parent's renders run on while it forks: the child holds copies of locks their threads
    # took and has none of the effect's workers, so waiting for either would never end.
    image, controls = JOBS[0]
    zephyrine.render(image, **controls)
    rendering = threading.Event()
    stop = threading.Event()

    def render_until_stopped():
        while not stop.is_set():
            rendering.set()
            zephyrine.render(image, **controls)

    thread = threading.Thread(target=render_until_stopped)
    thread.start()
    rendering.wait()
    try:
        child = os.fork()
        if child == 0:
            try:
                zephyrine.render(image, **controls)
                os._exit(1)
            except RuntimeError as error:
                os._exit(0 if "forked" in str(error) else 2)
        deadline = time.monotonic() + 30
        while (done := os.waitpid(child, os.WNOHANG)) == (0, 0) and time.monotonic() < deadline:
            time.sleep(0.05)
        if done == (0, 0):
            os.kill(child, signal.SIGKILL)
            os.waitpid(child, 0)
        assert done != (0, 0), "the forked child hung"
        assert os.waitstatus_to_exitcode(done[1]) == 0, "the child did not get the RuntimeError"
    finally:
        stop.set()
        thread.join()


def test_released_buffers_are_made_again_by_the_next_render():
    image, controls = JOBS[1]
    expected = zephyrine.render(image, **controls)
    zephyrine.release_buffers()
    assert np.array_equal(zephyrine.render(image, **controls), expected)
