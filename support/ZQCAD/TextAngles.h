// The angles that keep a text readable beside a line of any direction: the text never reads
// from right to left or upside down. Angles are in radians, counter-clockwise from +X.
#pragma once

namespace ZQ {

// For a line direction `angle` (any value): `rotation` is the text rotation, the direction
// folded by half turns into (-90 deg, 90 deg]; `side` = rotation + 90 deg, the way the text's
// top faces, in (0 deg, 180 deg]: a text set off along `side` lies above (or, for a vertical
// line, to the left of) the line. A direction within 1e-9 rad of -90 deg counts as +90 deg, so a
// vertical line always gives vertical text reading upwards.
//
//   direction   rotation   side        direction   rotation   side
//       0          0        90            180          0        90
//      30         30       120            210         30       120
//      89.9       89.9     179.9          -90         90       180
//      90         90       180            270         90       180
//      90.1      -89.9       0.1          135        -45        45
//     -30        -30        60            -135        45       135
//     720          0        90           -360          0        90
//
// False for a direction that is not a finite number; the outputs are then 0 and 90 deg.
bool GetRightTopAngles(double angle, double& rotation, double& side);

}  // namespace ZQ
