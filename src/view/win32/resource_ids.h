/* Identifiers of the program's resources; read by the resource compiler too. */
#pragma once

#define IDI_TRACESWEEP 1

/* The artwork, rendered from data/artwork at build time: raw 32-bit BGRA rows,
   top row first, at the design size and at twice it. */
#define IDR_SPLASH_1X 101
#define IDR_SPLASH_2X 102
#define IDR_BANNER_1X 103
#define IDR_BANNER_2X 104
#define IDR_ABOUT_1X 105
#define IDR_ABOUT_2X 106
