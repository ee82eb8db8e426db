#include "app/frame_fit.h"

#include <QWidget>
#include <algorithm>
#include <numeric>

namespace {

bool Inside(const DialogItem& inner, const DialogItem& outer) {
    return inner.x >= outer.x && inner.y >= outer.y && inner.x + inner.w <= outer.x + outer.w &&
           inner.y + inner.h <= outer.y + outer.h;
}

bool Nested(const DialogItem& a, const DialogItem& b) { return Inside(a, b) || Inside(b, a); }

bool SideBySide(const DialogItem& left, const DialogItem& right) {
    return right.x >= left.x + left.w && right.y < left.y + left.h && left.y < right.y + right.h;
}

}  // namespace

void FitFramesToContents(std::span<const DialogItem> items, const std::vector<QWidget*>& controls,
                         int margin) {
    std::vector<std::size_t> frames;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (items[i].kind == ControlKind::GroupBox) frames.push_back(i);
    }
    std::sort(frames.begin(), frames.end(), [&items](std::size_t a, std::size_t b) {
        return items[a].w * items[a].h < items[b].w * items[b].h;
    });

    for (const std::size_t f : frames) {
        QWidget* frame = controls[f];
        QRect rect = frame->geometry();
        int right = rect.x() + frame->minimumSizeHint().width();  // the title
        for (std::size_t i = 0; i < items.size(); ++i) {
            if (i == f || !Inside(items[i], items[f]) || controls[i]->isHidden()) continue;
            right = std::max(right, controls[i]->geometry().right() + 1 + margin);
        }
        if (right > rect.right() + 1) {
            rect.setRight(right - 1);
            frame->setGeometry(rect);
        }
    }

    // Frames that the template sets in one column stay as wide as each other.
    for (const std::size_t a : frames) {
        for (const std::size_t b : frames) {
            if (items[a].x != items[b].x || items[a].w != items[b].w) continue;
            QRect rect = controls[a]->geometry();
            if (controls[b]->width() > rect.width()) {
                rect.setWidth(controls[b]->width());
                controls[a]->setGeometry(rect);
            }
        }
    }

    for (const std::size_t a : frames) {
        for (const std::size_t b : frames) {
            if (a == b || Nested(items[a], items[b]) || !SideBySide(items[a], items[b])) continue;
            QRect rect = controls[b]->geometry();
            const int left = controls[a]->geometry().right() + 1 + margin;
            if (left > rect.left()) {
                rect.setLeft(left);
                controls[b]->setGeometry(rect);
            }
        }
    }
}
