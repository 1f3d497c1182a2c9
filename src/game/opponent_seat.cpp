#include "game/opponent_seat.h"

namespace kestrum {

namespace {

// The computer plays the right base.
constexpr int kSecondSeat = 1;

} // namespace

void OpponentSeat::seed(uint32_t seed) {
    seed_ = seed;
    if (computer_)
        computer_ = std::make_unique<computer::Computer>(kSecondSeat, computer_->keys(),
                                                         computer_->strength(), seed_);
}

void OpponentSeat::choose(int16_t opponent, const KeyMap& keys) {
    if (opponent < 1 || opponent > computer::kStrengths) {
        computer_.reset();
        return;
    }
    const auto strength = computer::Strength(opponent);
    if (computer_ && computer_->strength() == strength && computer_->keys() == keys) return;
    computer_ = std::make_unique<computer::Computer>(kSecondSeat, keys, strength, seed_);
}

void OpponentSeat::watch(const computer::ScreenView& view) {
    if (computer_) computer_->watch(view);
}

std::optional<computer::KeyEvent> OpponentSeat::act(const computer::ScreenView& view) {
    if (!computer_) return std::nullopt;
    return computer_->act(view);
}

} // namespace kestrum
