#include "computer/ballistics.h"

#include <cmath>

#include "physics/flight.h"

namespace kestrum::computer {

Flight fly(const Shot& shot, float floorY, int maxSteps) {
    Flight flight;
    const double air = shot.air ? 1.0 : 0.0;
    // Measured from the own base's outer edge, towards the enemy, and from the launch height.
    physics::Motion m;
    m.x = physics::kLaunchInset;

    // Shell: charge, speed, angle; the loading time follows from the charge.
    const float charge = float(shot.values[0]);
    float loading = physics::loadingTime(charge);
    // Rocket: charge, fuel, burn, jet, angle; it stands on its pad until the thrust lifts it.
    float fuel = float(shot.values[1]);
    bool onPad = true;

    flight.points.reserve(1024);
    for (int step = 0; step < maxSteps; ++step) {
        if (shot.battle == Battle::Rockets) {
            const float lift =
                physics::rocketForces(m, fuel, charge, float(shot.values[1]), float(shot.values[2]),
                                      float(shot.values[3]), float(shot.values[4]), air, 1, onPad);
            if (onPad) {
                if (lift > physics::kGravity) onPad = false;
                if (fuel == 0 && onPad) {
                    flight.lifted = false;
                    return flight;
                }
            }
        } else {
            physics::shellForces(m, loading, charge, float(shot.values[1]), float(shot.values[2]), air, 1);
        }
        physics::integrate(m);
        flight.points.push_back({m.x, m.y});
        if (m.y < floorY && m.vy < 0) return flight;
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
