// A canvas that records every call, so a test can check what a paint procedure drew, where, and
// in which order.
#pragma once

#include <algorithm>
#include <array>
#include <ostream>
#include <string>
#include <vector>

#include "dock/Canvas.h"

namespace qor::test {

struct CanvasCall {
    enum class Op {
        Clear,
        FillRect,
        DrawCached,
        DrawScaled,
        DrawSource,
        DrawText,
        PanelText,
        Keep,
        Restore,
        Present
    };
    Op op = Op::Clear;
    ImageRef image{};
    int level = -1;
    int x = 0, y = 0, width = 0, height = 0;
    int fade = kNoFade;
    float sx = 0, sy = 0, sw = 0, sh = 0, dx = 0, dy = 0, dw = 0, dh = 0;
    std::string text;
    bool grey = false;      // panel text
    bool clearType = false; // panel text
    uint32_t argb = 0;
    Composite mode = Composite::SourceOver;
    int alpha = -1;

    bool IsImage(ImageRef ref) const {
        return (op == Op::DrawCached || op == Op::DrawScaled || op == Op::DrawSource) && image == ref;
    }
};

inline const char* OpName(CanvasCall::Op op) {
    switch (op) {
    case CanvasCall::Op::Clear:
        return "Clear";
    case CanvasCall::Op::FillRect:
        return "FillRect";
    case CanvasCall::Op::DrawCached:
        return "DrawCached";
    case CanvasCall::Op::DrawScaled:
        return "DrawScaled";
    case CanvasCall::Op::DrawSource:
        return "DrawSource";
    case CanvasCall::Op::DrawText:
        return "DrawText";
    case CanvasCall::Op::PanelText:
        return "PanelText";
    case CanvasCall::Op::Keep:
        return "Keep";
    case CanvasCall::Op::Restore:
        return "Restore";
    case CanvasCall::Op::Present:
        return "Present";
    }
    return "?";
}

// Readable form for assertion messages.
inline std::ostream& operator<<(std::ostream& os, const CanvasCall& c) {
    os << OpName(c.op);
    switch (c.op) {
    case CanvasCall::Op::Clear:
        os << " 0x" << std::hex << c.argb << std::dec;
        break;
    case CanvasCall::Op::FillRect:
        os << " " << c.x << "," << c.y << " " << c.width << "x" << c.height << " 0x" << std::hex << c.argb
           << std::dec;
        break;
    case CanvasCall::Op::DrawCached:
    case CanvasCall::Op::DrawScaled:
    case CanvasCall::Op::DrawSource:
        os << (c.image.cache == ImageRef::Cache::Skin ? " skin " : " item ") << c.image.index << " level "
           << c.level << " at " << c.x << "," << c.y << " " << c.width << "x" << c.height << " fade "
           << c.fade;
        break;
    case CanvasCall::Op::DrawText:
        os << " '" << c.text << "' at " << c.x << "," << c.y << " w " << c.width;
        break;
    case CanvasCall::Op::PanelText:
        os << " '" << c.text << "' in " << c.x << "," << c.y << " " << c.width << "x" << c.height
           << (c.grey ? " grey" : "") << (c.clearType ? " cleartype" : "");
        break;
    case CanvasCall::Op::Keep:
    case CanvasCall::Op::Restore:
        os << " " << c.level << " " << c.x << "," << c.y << " " << c.width << "x" << c.height;
        break;
    case CanvasCall::Op::Present:
        os << " alpha " << c.alpha;
        break;
    }
    return os;
}

class RecordingCanvas final : public ICanvas {
public:
    using Op = CanvasCall::Op;
    std::vector<CanvasCall> calls;
    // The tag each slot was kept with (0: nothing kept); Restore answers as a canvas that kept
    // the pixels would.
    std::array<uint64_t, 4> keptTag{};

    void Clear(uint32_t argb) override {
        CanvasCall c;
        c.op = Op::Clear;
        c.argb = argb;
        calls.push_back(c);
    }
    void FillRect(int x, int y, int width, int height, uint32_t argb, Composite mode) override {
        CanvasCall c;
        c.op = Op::FillRect;
        c.x = x, c.y = y, c.width = width, c.height = height, c.argb = argb, c.mode = mode;
        calls.push_back(c);
    }
    void DrawCached(ImageRef image, int level, int x, int y) override {
        CanvasCall c;
        c.op = Op::DrawCached;
        c.image = image, c.level = level, c.x = x, c.y = y;
        calls.push_back(c);
    }
    void DrawScaled(ImageRef image, int x, int y, int width, int height, int fade) override {
        CanvasCall c;
        c.op = Op::DrawScaled;
        c.image = image, c.level = 0, c.x = x, c.y = y, c.width = width, c.height = height, c.fade = fade;
        calls.push_back(c);
    }
    void DrawSource(ImageRef image, float sx, float sy, float sw, float sh, float dx, float dy, float dw,
                    float dh) override {
        CanvasCall c;
        c.op = Op::DrawSource;
        c.image = image, c.level = 0;
        c.sx = sx, c.sy = sy, c.sw = sw, c.sh = sh, c.dx = dx, c.dy = dy, c.dw = dw, c.dh = dh;
        calls.push_back(c);
    }
    void DrawOutlinedText(const std::string& text, int x, int y, int boxWidth) override {
        CanvasCall c;
        c.op = Op::DrawText;
        c.text = text, c.x = x, c.y = y, c.width = boxWidth;
        calls.push_back(c);
    }
    void DrawPanelText(const std::string& text, int x, int y, int boxWidth, int boxHeight, bool grey,
                       bool clearType) override {
        CanvasCall c;
        c.op = Op::PanelText;
        c.text = text, c.x = x, c.y = y, c.width = boxWidth, c.height = boxHeight, c.grey = grey;
        c.clearType = clearType;
        calls.push_back(c);
    }
    void Keep(int slot, int x, int y, int width, int height, uint64_t tag) override {
        Record(Op::Keep, slot, x, y, width, height);
        keptTag.at(static_cast<std::size_t>(slot)) = width > 0 && height > 0 ? tag : 0;
    }
    bool Restore(int slot, int x, int y, int width, int height, uint64_t tag) override {
        if (tag == 0 || keptTag.at(static_cast<std::size_t>(slot)) != tag)
            return false;
        Record(Op::Restore, slot, x, y, width, height);
        return true;
    }
    void Record(Op op, int slot, int x, int y, int width, int height) {
        CanvasCall c;
        c.op = op;
        c.level = slot, c.x = x, c.y = y, c.width = width, c.height = height;
        calls.push_back(c);
    }
    void Present(uint8_t alpha) override {
        CanvasCall c;
        c.op = Op::Present;
        c.alpha = alpha;
        calls.push_back(c);
    }

    std::vector<CanvasCall> Of(Op op) const {
        std::vector<CanvasCall> out;
        std::copy_if(calls.begin(), calls.end(), std::back_inserter(out),
                     [op](const CanvasCall& c) { return c.op == op; });
        return out;
    }
    std::vector<std::string> Texts() const {
        std::vector<std::string> out;
        for (const CanvasCall& c : calls)
            if (c.op == Op::DrawText)
                out.push_back(c.text);
        return out;
    }
    int Count(Op op) const {
        return static_cast<int>(
            std::count_if(calls.begin(), calls.end(), [op](const CanvasCall& c) { return c.op == op; }));
    }
    void Reset() { calls.clear(); }
};

} // namespace qor::test
