#pragma once

class BaseEngine;

// Base of everything that moves or changes on screen. It keeps the object's
// position, the position it was last drawn at, and the rectangle its drawing
// covers around that position, so the engine can erase it by restoring exactly
// that rectangle from the background. It neither moves nor owns anything.
class DisplayableObject {
public:
    explicit DisplayableObject(BaseEngine* engine);
    virtual ~DisplayableObject() = default;
    DisplayableObject(const DisplayableObject&) = delete;
    DisplayableObject& operator=(const DisplayableObject&) = delete;

    // Marks the drawn rectangle in magenta on the foreground, clipped to the screen.
    virtual void Draw();
    // Restores the background under the rectangle last drawn (visible or not).
    virtual void RedrawBackground();
    // One update tick; the base object does nothing.
    virtual void DoUpdate(int time);

    void StoreDrawnPosition();
    void SetVisible(bool isVisible) { visible = isVisible; }
    bool IsVisible() const { return visible; }

    int GetCurrentScreenX() const { return currentScreenX; }
    int GetCurrentScreenY() const { return currentScreenY; }

protected:
    BaseEngine* engine;  // lent: the engine owns this object, not the other way round
    int currentScreenX = -1;
    int currentScreenY = -1;
    int previousScreenX = -1;
    int previousScreenY = -1;
    int drawOffsetX = 0;
    int drawOffsetY = 0;
    int drawWidth = 10;
    int drawHeight = 10;
    bool visible = false;
};
