#pragma once
// The second seat when the computer plays it: which computer sits there, and the seed it plays with.

#include <cstdint>
#include <memory>
#include <optional>

#include "computer/computer.h"
#include "keyboard/key_map.h"

namespace kestrum {

class OpponentSeat {
  public:
    // The seed of the next computer to take the seat; one already seated starts afresh with it.
    void seed(uint32_t seed);
    // Who plays the seat as the settings say: 0 a person, 1..4 the computer's strength. The same
    // computer with the same keys plays on; anything else takes the seat afresh.
    void choose(int16_t opponent, const KeyMap& keys);

    const computer::Computer* computer() const { return computer_.get(); }
    // The set-up answers as they are typed, read as a person beside the keyboard reads them.
    void watch(const computer::ScreenView& view);
    // The key the computer presses or lets go before the next tick, if any.
    std::optional<computer::KeyEvent> act(const computer::ScreenView& view);

  private:
    std::unique_ptr<computer::Computer> computer_;
    uint32_t seed_ = 0;
};

} // namespace kestrum
