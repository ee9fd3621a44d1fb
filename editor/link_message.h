// How linked widgets talk: a message passed with a sender (or none) through the view's
// link slot, and the fixed-size list of links a widget pushes its value along.
#pragma once

#include <cstdint>

#include "toolkit/view.h"

struct QB_LinkMessage {
    int32_t command;   // kLinkRegister, kLinkToggle, or anything else: set
    int32_t position;  // the sender's position in a group (the linking record's aux)
    float value;
};

constexpr int32_t kLinkRegister = -1;
constexpr int32_t kLinkToggle = -65536;
constexpr int32_t kLinkSet = 0;

// Sends a message to view through its link slot.
inline void qbSendLink(VSTGUI::CView* to, VSTGUI::CView* sender, int32_t command, int32_t position, float value) {
    if (to == nullptr) return;
    const QB_LinkMessage m{command, position, value};
    to->notify(sender, &m);
}

// A widget's per-tick refresh of its refresh counter: a counted change invalidates it.
inline void qbRefreshOnTick(int32_t& refreshCounter, VSTGUI::CView* view) {
    if (refreshCounter == 0) return;
    refreshCounter = 0;
    view->invalid();
}

// Up to Capacity linked widgets with their positions. push sends every one of them a set
// message with the value; a push that arrives while one is running is dropped, which is
// what stops linked widgets from echoing each other forever.
template <int Capacity>
class QB_LinkList {
public:
    // False when the list is full.
    bool add(VSTGUI::CView* view, int32_t position) {
        if (count_ >= Capacity || view == nullptr) return false;
        views_[count_] = view;
        positions_[count_] = position;
        ++count_;
        return true;
    }
    void push(float value) {
        if (count_ == 0 || guard_) return;
        guard_ = true;
        for (int i = 0; i < count_; ++i) qbSendLink(views_[i], nullptr, kLinkSet, positions_[i], value);
        guard_ = false;
    }
    bool pushing() const { return guard_; }
    int count() const { return count_; }
    VSTGUI::CView* view(int i) const { return views_[i]; }
    int32_t position(int i) const { return positions_[i]; }

private:
    VSTGUI::CView* views_[Capacity] = {};
    int32_t positions_[Capacity] = {};
    int count_ = 0;
    bool guard_ = false;
};

// The common start of a widget's link slot: ignored while its own push runs, a
// registration adds the sender to links. Answers the message when the widget must act
// on it, else nullptr.
template <int Capacity>
const QB_LinkMessage* qbLinkCommand(QB_LinkList<Capacity>& links, VSTGUI::CView* sender, const void* message) {
    if (links.pushing() || message == nullptr) return nullptr;
    const auto* m = static_cast<const QB_LinkMessage*>(message);
    if (m->command == kLinkRegister) {
        links.add(sender, m->position);
        return nullptr;
    }
    return m;
}
