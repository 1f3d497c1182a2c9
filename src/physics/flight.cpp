#include "physics/flight.h"

#include <cmath>

namespace kestrum::physics {

void shellForces(Motion& m, float& loading, float charge, float speed, float angle, double air,
                 int16_t direction) {
    if (loading > 0) {
        loading = loading - kStep;
        if (loading <= 0) {
            // Fired: the velocity now, gravity and drag from the next step on.
            loading = 0;
            const float theta = angle * kDegree;
            m.vx = double(speed) * std::cos(double(theta)) * direction;
            m.vy = float(double(speed) * std::sin(double(theta)));
        }
        return;
    }
    const double area = std::pow(double(charge), double(kAreaExponent));
    m.ax = -double(kShellDrag) * air * area * m.vx;
    m.ay = float(-double(kShellDrag) * air * area * double(m.vy) - double(kGravity));
}

float rocketForces(Motion& m, float& fuel, float charge, float fuelLoad, float burn, float jet, float angle,
                   double air, int16_t direction, bool onPad) {
    if (fuel > 0) {
        fuel = fuel - burn * kStep;
        if (fuel < 0) fuel = 0;
    }
    const float theta = angle * kDegree;
    const double area = std::pow(double(fuelLoad + charge), double(kAreaExponent));
    const float thrust = fuel > 0 ? burn * jet / (fuel + charge) : 0.0f;
    const float lift = float(double(thrust) * std::sin(double(theta)));
    if (!onPad) {
        m.ax = double(thrust) * std::cos(double(theta)) * direction - double(kRocketDrag) * air * area * m.vx;
        m.ay = float(double(lift - kGravity) - double(kRocketDrag) * air * area * double(m.vy));
    }
    return lift;
}

void integrate(Motion& m) {
    m.vx = m.vx + m.ax * double(kStep);
    m.x = m.x + m.vx * double(kStep);
    m.vy = m.vy + m.ay * kStep;
    m.y = m.y + m.vy * kStep;
}

} // namespace kestrum::physics
