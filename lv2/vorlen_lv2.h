/* The LV2 plug-in's identity as hosts and our tests see it: its URI, the order of its
 * ports, and one interface of our own for reproducible noise. Plain C, so that any host
 * may include it. */
#ifndef VORLEN_LV2_H
#define VORLEN_LV2_H

#include <stdint.h>

/* Kept for good: hosts store it in their sessions to find the plug-in again. */
#define VORLEN_LV2_URI "https://plomb.dev/plugins/vorlen"

/* Port indices, as vorlen.ttl lists them. */
enum VorlenLv2Port {
    VORLEN_LV2_IN_LEFT = 0,   /* audio in; null reads as silence */
    VORLEN_LV2_IN_RIGHT = 1,  /* audio in */
    VORLEN_LV2_OUT_LEFT = 2,  /* audio out; may be the same buffer as an input */
    VORLEN_LV2_OUT_RIGHT = 3, /* audio out */
    VORLEN_LV2_RATIO = 4,     /* control in, 0..1: weight of the shaped noise */
    VORLEN_LV2_SMOOTHING = 5, /* control in, integer 0..20: half-width in bins */
    VORLEN_LV2_LATENCY = 6,   /* control out: 2048 samples, written by every run() */
    VORLEN_LV2_PORT_COUNT = 7
};

/* extension_data(VORLEN_LV2__seed) gives this interface. Hosts need not know it; tests and
 * tools that want the same noise every time use it. */
#define VORLEN_LV2__seed VORLEN_LV2_URI "#seed"

typedef struct VorlenLv2Seed {
    /* The noise continues as after srand(seed), from the next hop. Not on the audio thread
     * while run() is in progress on the same instance. */
    void (*set_seed)(void* instance, uint32_t seed);
} VorlenLv2Seed;

#endif
