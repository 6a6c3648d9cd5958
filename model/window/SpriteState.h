#pragma once

// The drawing state of a button drawn from a four-frame sprite (normal,
// hover, pressed, disabled), kept apart from any widget so that every such
// button follows the pointer the same way. Each step answers whether the
// frame changed and the button must be repainted.
class SpriteState
{
public:
    enum Frame { Normal = 0, Hover = 1, Pressed = 2, Disabled = 3 };

    int frame() const { return m_frame; }
    void setFrame(int frame) { m_frame = frame; }

    // A left-button press and release, the pointer entering and leaving.
    // A disabled button shows its disabled frame without a repaint.
    bool press(bool enabled) { return step(enabled, m_frame != Pressed, Pressed); }
    bool release(bool enabled) { return step(enabled, m_frame == Pressed, Normal); }
    bool enter(bool enabled) { return step(enabled, m_frame != Hover, Hover); }
    bool leave(bool enabled) { return step(enabled, m_frame == Hover, Normal); }
    // Enabling or disabling the button.
    void enable(bool enabled) { m_frame = enabled ? Normal : Disabled; }

private:
    bool step(bool enabled, bool applies, int to)
    {
        if (!enabled) {
            m_frame = Disabled;
            return false;
        }
        if (!applies)
            return false;
        m_frame = to;
        return true;
    }

    int m_frame = Normal;
};
