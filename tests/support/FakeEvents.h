// A recording IWindowEvents for the tests of every UI toolkit adapter.
#pragma once

#include <functional>
#include <thread>
#include <utility>
#include <vector>

#include "platform/Ui.h"

namespace zavro::test {

class FakeEvents : public IWindowEvents {
public:
    std::vector<std::pair<int, Notify>> controls;
    std::vector<std::pair<int, HotState>> hot;
    std::vector<int> timers;
    std::vector<unsigned> posted;
    std::vector<std::thread::id> postedOn;
    std::vector<int> cursorAsks;
    std::vector<Key> keys;
    int paints = 0;

    std::function<CursorShape(int)> cursor = [](int id) {
        return id != 0 ? CursorShape::Hand : CursorShape::Arrow;
    };
    std::function<bool(Key)> keyDown = [](Key) { return false; };
    // The hotspots a click on which ends the program, as a page names them.
    std::function<bool(int)> endsProgram = [](int id) { return id == 1008 || id == 1009; };
    std::function<void()> onPaint;
    std::function<void(int, Notify)> onControl;
    std::function<void(int)> onTimer;
    std::function<void(unsigned)> onPosted;

    void OnControl(int id, Notify code) override {
        controls.emplace_back(id, code);
        if (onControl) onControl(id, code);
    }
    void OnHotState(int id, HotState state) override { hot.emplace_back(id, state); }
    void OnTimer(int timerId) override {
        timers.push_back(timerId);
        if (onTimer) onTimer(timerId);
    }
    void OnPosted(unsigned message) override {
        posted.push_back(message);
        postedOn.push_back(std::this_thread::get_id());
        if (onPosted) onPosted(message);
    }
    void OnPaint() override {
        ++paints;
        if (onPaint) onPaint();
    }
    CursorShape OnSetCursor(int controlId) override {
        cursorAsks.push_back(controlId);
        return cursor(controlId);
    }
    bool OnKeyDown(Key key) override {
        keys.push_back(key);
        return keyDown(key);
    }
    bool EndsProgram(int controlId) override { return endsProgram(controlId); }

    int Count(int id, Notify code) const {
        int n = 0;
        for (const auto& [i, c] : controls) n += (i == id && c == code) ? 1 : 0;
        return n;
    }
};

}  // namespace zavro::test
