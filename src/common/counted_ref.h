#pragma once
// One counted reference to an object that a platform adapter handed out: a
// plain value (the adapter and an opaque handle), so taking one costs no heap
// allocation. Move-only; the adapter releases the handle exactly once, when
// the reference is reset or destroyed. `Kind` keeps references to different
// kinds of object apart.
#include <cstdint>
#include <utility>

namespace tessel {

template <class Owner, auto Kind = 0>
class CountedRef {
public:
    CountedRef() = default;
    // Adopts a reference the owner has already counted; a zero handle is empty.
    CountedRef(Owner* owner, std::uintptr_t handle) noexcept : owner_(handle ? owner : nullptr), handle_(handle) {}
    CountedRef(const CountedRef&) = delete;
    CountedRef& operator=(const CountedRef&) = delete;
    CountedRef(CountedRef&& other) noexcept
        : owner_(std::exchange(other.owner_, nullptr)), handle_(std::exchange(other.handle_, 0)) {}
    CountedRef& operator=(CountedRef&& other) noexcept {
        if (this != &other) {
            Reset();
            owner_ = std::exchange(other.owner_, nullptr);
            handle_ = std::exchange(other.handle_, 0);
        }
        return *this;
    }
    ~CountedRef() { Reset(); }

    explicit operator bool() const noexcept { return handle_ != 0; }
    std::uintptr_t Handle() const noexcept { return handle_; }
    Owner* Holder() const noexcept { return owner_; }

    void Reset() noexcept {
        if (handle_ && owner_) owner_->Release(handle_);
        owner_ = nullptr;
        handle_ = 0;
    }
    // A second reference to the same object (the owner counts it).
    CountedRef Share() const noexcept {
        if (!handle_ || !owner_) return {};
        owner_->AddRef(handle_);
        return CountedRef(owner_, handle_);
    }

private:
    Owner* owner_ = nullptr;
    std::uintptr_t handle_ = 0;
};

}  // namespace tessel
