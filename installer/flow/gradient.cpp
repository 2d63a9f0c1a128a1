#include "gradient.h"

BackdropBand BackdropBandAt(int index, int clientRight, int clientBottom)
{
    float height = static_cast<float>(clientBottom) * 0.00390625f;
    BackdropBand band;
    band.left = 0;
    band.right = clientRight + 1;
    band.top = static_cast<int>(static_cast<double>(index) * height);
    band.bottom = static_cast<int>(static_cast<double>(index + 1) * height);
    band.red = 0;
    band.green = 0;
    band.blue = static_cast<unsigned char>(255 - index);
    return band;
}
