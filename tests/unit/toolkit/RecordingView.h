#pragma once
// A view that records what the toolkit asks of it.

#include <string>
#include <vector>

#include "toolkit/View.h"

struct ViewEvent {
    std::string what;
    const View* view;
    Point where;
};

class RecordingView : public View {
public:
    RecordingView(const Rect& size, std::vector<ViewEvent>* log, int32_t keyAnswer = -1,
                  bool dropAnswer = false, int* destroyed = nullptr)
        : View(size),
          log(log),
          keyAnswer(keyAnswer),
          dropAnswer(dropAnswer),
          destroyed(destroyed) {}
    ~RecordingView() override {
        if (destroyed) ++*destroyed;
    }

    void draw(DrawContext* context) override {
        note("draw");
        View::draw(context);
    }
    void drawRect(DrawContext* context, const Rect& rect) override {
        note("drawRect");
        lastRect = rect;
        View::drawRect(context, rect);
    }
    void mouse(DrawContext* context, const Point& where) override {
        note("mouse", where);
        mouseContext = context;
    }
    int32_t onKeyDown(KeyCode&) override {
        note("keyDown");
        return keyAnswer;
    }
    int32_t onKeyUp(KeyCode&) override {
        note("keyUp");
        return keyAnswer;
    }
    bool onDrop(void** items, int32_t count, int32_t type, const Point& where) override {
        note("drop", where);
        dropType = type;
        dropCount = count;
        dropped.clear();
        if (type == 0)
            for (int32_t i = 0; i < count; i++) dropped.push_back(static_cast<char*>(items[i]));
        if (type == 1) dropped.push_back(std::string(static_cast<char*>(items[0])));
        return dropAnswer;
    }
    bool onWheel(DrawContext*, const Point& where, float distance) override {
        note("wheel", where);
        wheelDistance = distance;
        return true;
    }
    void focusLost(DrawContext*) override { note("focusLost"); }
    bool onAttached(View* parent) override {
        note("attached");
        attachedTo = parent;
        return true;
    }
    bool onRemoved(View* parent) override {
        note("removed");
        removedFrom = parent;
        return true;
    }

    std::vector<ViewEvent>* log;
    int32_t keyAnswer;
    bool dropAnswer;
    int* destroyed;
    Rect lastRect;
    DrawContext* mouseContext = nullptr;
    View* attachedTo = nullptr;
    View* removedFrom = nullptr;
    int32_t dropType = -1;
    int32_t dropCount = -1;
    std::vector<std::string> dropped;
    float wheelDistance = 0.0f;

private:
    void note(const char* what, Point where = Point()) {
        if (log) log->push_back({what, this, where});
    }
};
