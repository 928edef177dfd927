// Comfort-noise level (target excitation RMS) for each SID gain code 0..63.
#pragma once

extern const float sidGainTable[64];
