#include "computer/ballistics.h"

#include <cmath>

#include "physics/flight_constants.h"

namespace kestrum::computer {

Flight fly(const Shot& shot, float floorY, int maxSteps) {
    Flight flight;
    const double air = shot.air ? 1.0 : 0.0;
    double x = 55, vx = 0, ax = 0;
    float y = 0, vy = 0, ay = 0;

    // Shell: charge, speed, angle; the loading time follows from the charge.
    const float charge = float(shot.values[0]);
    float loading = charge / 50;
    // Rocket: charge, fuel, burn, jet, angle; it stands on its pad until the thrust lifts it.
    float fuel = float(shot.values[1]);
    const float fuelLoad = float(shot.values[1]);
    bool onPad = true;

    flight.points.reserve(1024);
    for (int step = 0; step < maxSteps; ++step) {
        if (shot.battle == Battle::Rockets) {
            const float burn = float(shot.values[2]), jet = float(shot.values[3]);
            if (fuel > 0) {
                fuel = fuel - burn * kStep;
                if (fuel < 0) fuel = 0;
            }
            const float theta = float(shot.values[4]) * kDegree;
            const double area = std::pow(double(fuelLoad + charge), double(kAreaExponent));
            const float thrust = fuel > 0 ? burn * jet / (fuel + charge) : 0.0f;
            const float lift = float(double(thrust) * std::sin(double(theta)));
            if (onPad) {
                if (lift > kGravity) onPad = false;
                if (fuel == 0 && onPad) {
                    flight.lifted = false;
                    return flight;
                }
            } else {
                ax = double(thrust) * std::cos(double(theta)) - double(kRocketDrag) * air * area * vx;
                ay = float(double(lift - kGravity) - double(kRocketDrag) * air * area * double(vy));
            }
        } else if (loading > 0) {
            loading = loading - kStep;
            if (loading <= 0) {
                loading = 0;
                const float theta = float(shot.values[2]) * kDegree;
                const float speed = float(shot.values[1]);
                vx = double(speed) * std::cos(double(theta));
                vy = float(double(speed) * std::sin(double(theta)));
            }
        } else {
            const double area = std::pow(double(charge), double(kAreaExponent));
            ax = -double(kShellDrag) * air * area * vx;
            ay = float(-double(kShellDrag) * air * area * double(vy) - double(kGravity));
        }

        vx = vx + ax * double(kStep);
        x = x + vx * double(kStep);
        vy = vy + ay * kStep;
        y = y + vy * kStep;
        flight.points.push_back({x, y});
        if (y < floorY && vy < 0) return flight;
    }
    flight.outlasted = true;
    return flight;
}

Crossing crossing(const Flight& flight, float y) {
    const auto& pts = flight.points;
    for (std::size_t i = 1; i < pts.size(); ++i) {
        if (pts[i - 1].y >= y && pts[i].y < y && pts[i].y < pts[i - 1].y) {
            const double across = std::abs(pts[i].x - pts[i - 1].x);
            const double down = double(pts[i - 1].y) - double(pts[i].y);
            return {true, pts[i].x, across > 0 ? down / across : 1e9};
        }
    }
    return {};
}

} // namespace kestrum::computer
