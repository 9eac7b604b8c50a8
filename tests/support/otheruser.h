// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <unistd.h>

/// While alive, access checks of this process are made for user "nobody" (its real user id),
/// also when the test runs as root, whom no file permission stops. The effective user stays, so
/// the switch is undone at the end. Linux only.
class AccessAsNobody
{
public:
    static constexpr uid_t Nobody = 65534;

    AccessAsNobody()
        : m_wasRoot(getuid() == 0)
    {
        if (m_wasRoot)
            m_switched = setresuid(Nobody, uid_t(-1), uid_t(-1)) == 0;
    }
    ~AccessAsNobody()
    {
        if (m_switched)
            (void)setresuid(0, uid_t(-1), uid_t(-1));
    }
    AccessAsNobody(const AccessAsNobody &) = delete;
    AccessAsNobody &operator=(const AccessAsNobody &) = delete;

    /// False when the test runs as root and the switch failed: permissions then stop nobody.
    bool ok() const { return !m_wasRoot || m_switched; }

private:
    bool m_wasRoot;
    bool m_switched = false;
};
