#pragma once

#include <functional>
#include <utility>

// Something made the first time it is asked for, by the maker it was given (a start shows the
// main window at once and makes each other window when its command first asks for it). A
// test or the owner may also hand over one made already.
template <typename T> class OnDemand {
public:
    void set_maker(std::function<T*()> make) { make_ = std::move(make); }
    void set(T* made) { made_ = made; }

    // The one made, made now when there is none yet and a maker is set; else nullptr.
    T* get() {
        if (!made_ && make_)
            made_ = make_();
        return made_;
    }
    // The one made so far; nullptr before the first get().
    T* made() const { return made_; }

private:
    std::function<T*()> make_;
    T* made_ = nullptr;
};
