// The one scale between the model's units and ångström, the unit of the
// chemistry file formats. Its value puts real bond lengths as close as one
// factor can to the layout's ideal link lengths (radius + radius + 15/order
// + 15): the factor with the least relative squared error over every bond of
// small organic molecules (half of them to hydrogen), rounded. The ratio of
// ideal length to real length runs from about 44 (C-Cl, C-C) to 64 (O-H).
#pragma once

constexpr float kUnitsPerAngstrom = 52.0f;
