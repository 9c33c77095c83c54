#ifndef HELDCONTROLS_H
#define HELDCONTROLS_H

#include <QList>
#include <QPointer>
#include <QWidget>

// Disables controls for as long as it lives and gives them back as they
// were: while slow work runs, nothing may start more work on the same
// files.
class HeldControls
{
public:
    explicit HeldControls(const QList<QWidget *> &controls)
    {
        for (QWidget *control : controls) {
            held.append({control, control->isEnabled()});
            control->setEnabled(false);
        }
    }
    ~HeldControls()
    {
        for (const auto &control : held)
            if (control.first)
                control.first->setEnabled(control.second);
    }
    HeldControls(const HeldControls &) = delete;
    HeldControls &operator=(const HeldControls &) = delete;

private:
    QList<QPair<QPointer<QWidget>, bool>> held;
};

#endif
