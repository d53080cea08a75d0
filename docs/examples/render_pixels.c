/* Two 8-bit RGB pixels rendered in place through the Zephyrine plug-in module, then printed. */
#include <stdio.h>
#include <zephyrine/zephyrine.h>

int main(void) {
    unsigned char pixels[2][3] = {{255, 128, 128}, {128, 128, 255}};
    zephyrine_image image = {pixels, 2, 1, sizeof pixels, 3, ZEPHYRINE_U8};
    zephyrine_controls controls;
    zephyrine_default_controls(&controls); /* then set tilts or inversions as a compositor would */
    zephyrine_renderer *renderer = zephyrine_open(NULL); /* zephyrine.so beside the library */
    if (renderer == NULL || zephyrine_render(renderer, &image, &image, &controls) != ZEPHYRINE_OK) {
        fprintf(stderr, "zephyrine: %s\n", zephyrine_last_error());
        zephyrine_close(renderer);
        return 1;
    }
    for (int p = 0; p < 2; ++p) {
        printf("%d %d %d\n", pixels[p][0], pixels[p][1], pixels[p][2]);
    }
    zephyrine_close(renderer);
    return 0;
}
