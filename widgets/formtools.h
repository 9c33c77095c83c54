#ifndef FORMTOOLS_H
#define FORMTOOLS_H

#include <QSize>

class QBoxLayout;
class QToolButton;
class QWidget;

// The small pieces every hand-written form is built from.
class FormTools
{
public:
    // A tool button that shows only its picture, at `iconSize` or, when
    // that is empty, at the picture's own size.
    static QToolButton *iconButton(QWidget *parent, const char *name, const char *const *xpm,
                                   const QSize &iconSize = QSize());

    // Nested layouts sit flush in their parent: no margin, the usual spacing.
    static void withoutMargin(QBoxLayout *layout);

    template <class Layout>
    static Layout *noMarginLayout(const char *name = nullptr)
    {
        auto *layout = new Layout;
        if (name)
            layout->setObjectName(name);
        withoutMargin(layout);
        return layout;
    }
};

#endif
