// Compiled once per edge of the layers, with HEADER naming what one layer's target includes.
#include HEADER

int LayerProbe() { return 0; }
