#!/usr/bin/env python3
"""Writes tests/data/flight_reference.txt: shells and rockets of both players flown step by step from
the game's rules of motion, written here apart from the game's own code, so that the flight test can
compare the two bit for bit.

Precision as the game has it: vertical quantities, the parameters and every constant are 32-bit floats
(an operation on 32-bit floats and 16-bit integers gives a 32-bit float); horizontal quantities and
anything that meets sin, cos or a power are 64-bit. Python floats are 64-bit; f32() rounds to 32 bits,
and rounding the exact 64-bit result of one operation on 32-bit operands is the 32-bit operation.

Every projectile starts 3000 m up, above the picture, where it reads as sky and never hits anything.
Run:  python3 tests/flight_reference.py > tests/data/flight_reference.txt
"""
import math
import struct


def f32(x):
    return struct.unpack("<f", struct.pack("<f", x))[0]


STEP, GRAVITY, DEGREE = f32(0.03), f32(9.8), f32(0.017453292)
ROCKET_DRAG, SHELL_DRAG, AREA = f32(0.002), f32(-0.004), f32(0.66666)
STEPS = 120

# player, slot, parameters as entered (charge, speed, angle, loading time) or (charge, fuel, burn rate,
# jet speed, angle, total); each in both kinds of battle below.
SHELLS = [
    (0, 0, [100, 300, 45, 0.09]),
    (0, 1, [150, 1200, 87, 0.06]),
    (1, 0, [100, 300, 45, 0.09]),
    (1, 2, [7, 555, 33, 0]),  # no loading time: never fired, it only falls
    (1, 3, [1, 77, 71, 0.1]),
]
ROCKETS = [
    (0, 0, [50, 30, 20, 2000, 60, 80]),  # burns out after 50 steps, then coasts
    (1, 1, [50, 30, 20, 2000, 60, 80]),
    (0, 2, [100, 10, 100, 13, 45, 110]),  # lift 8.6 to 9.2, short of gravity: back in the rack, unflown
    (0, 3, [3, 50, 2, 500, 40, 53]),
    (1, 0, [20, 500, 50, 300, 75, 520]),
    (1, 4, [350, 9999, 9999, 5100, 90, 10349]),
]


def hex64(x):
    return struct.pack(">d", x + 0.0).hex()  # + 0.0: a zero counts as a zero, whatever its sign


def hex32(x):
    return struct.pack(">f", x + 0.0).hex()


class Slot:
    def __init__(self, player, slot, params):
        self.player, self.slot = player, slot
        self.param = [f32(v) for v in params] + [0.0] * (6 - len(params))
        self.launch_copy = [int(v) for v in params] + [0] * (6 - len(params))
        self.dir = 1 if player == 0 else -1
        self.state = 1
        self.px, self.vx, self.ax = 1000.0, 0.0, 0.0
        self.py, self.vy, self.ay = f32(3000), f32(0), f32(0)

    def rocket_forces(self, air):
        p = self.param
        fuel, burn, jet, charge = p[1], p[2], p[3], p[0]
        if fuel > 0:
            fuel = f32(fuel - f32(burn * STEP))
            if fuel < 0:
                fuel = 0.0
            p[1] = fuel
        theta = f32(p[4] * DEGREE)
        area = f32(self.launch_copy[1] + charge) ** AREA  # the launch mass
        thrust = f32(f32(burn * jet) / f32(fuel + charge)) if fuel > 0 else 0.0
        lift = f32(thrust * math.sin(theta))
        if self.state == 1:
            if lift > GRAVITY:
                self.state = 2
            if fuel == 0:
                self.state = 0
                self.param = [float(v) for v in self.launch_copy]
        else:
            drag = f32(ROCKET_DRAG * air) * area
            self.ax = thrust * math.cos(theta) * self.dir - drag * self.vx
            self.ay = f32(f32(lift - GRAVITY) - drag * self.vy)

    def shell_forces(self, air):
        p = self.param
        if p[3] > 0:
            p[3] = f32(p[3] - STEP)
            if p[3] <= 0:
                p[3] = 0.0
                theta = f32(p[2] * DEGREE)
                self.vx = p[1] * math.cos(theta) * self.dir
                self.vy = f32(p[1] * math.sin(theta))
        else:
            drag = f32(SHELL_DRAG * air) * p[0] ** AREA
            self.ax = drag * self.vx
            self.ay = f32(drag * self.vy - GRAVITY)

    def step(self, mode, air):
        (self.rocket_forces if mode == 1 else self.shell_forces)(air)
        self.vx = self.vx + self.ax * STEP
        self.px = self.px + self.vx * STEP
        self.vy = f32(self.vy + f32(self.ay * STEP))
        self.py = f32(self.py + f32(self.vy * STEP))

    def line(self, n):
        return " ".join(
            ["step", str(self.player), str(self.slot), str(n), str(self.state)]
            + [hex64(v) for v in (self.px, self.vx, self.ax)]
            + [hex32(v) for v in (self.py, self.vy, self.ay, self.param[1], self.param[3])]
        )


def main():
    # The elevation must be rounded to 32 bits before its cosine: make sure that matters here.
    assert any(f32(a * DEGREE) != a * DEGREE for _, _, (_, _, a, _) in SHELLS)
    print("# step PLAYER SLOT N STATE px vx ax (64-bit) py vy ay param1 param3 (32-bit), after each step")
    for mode, cases in ((0, SHELLS), (1, ROCKETS)):
        for air in (0, 1):
            print("match", mode, air)
            slots = [Slot(*c) for c in cases]
            for c in cases:
                print("case", c[0], c[1], " ".join(repr(float(v)) for v in c[2]))
            for n in range(1, STEPS + 1):
                for player in (0, 1):
                    for s in slots:
                        if s.player == player and s.state != 0:
                            s.step(mode, air)
                            print(s.line(n))


main()
