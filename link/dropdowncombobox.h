// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QComboBox>

#include <functional>

/// A drop-down list that runs `aboutToShow` just before its list opens, so the list can be
/// filled at that moment (the port lists).
class DropDownComboBox : public QComboBox
{
    Q_OBJECT
public:
    using QComboBox::QComboBox;
    std::function<void()> aboutToShow;

    void showPopup() override
    {
        if (aboutToShow)
            aboutToShow();
        QComboBox::showPopup();
    }
};
