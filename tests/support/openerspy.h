#pragma once

#include "widgets/linklabel.h"

#include <QList>
#include <QUrl>

// Records the links opened instead of opening them; answers with result.
struct OpenerSpy {
    explicit OpenerSpy(bool result = true)
    {
        previous = TLinkLabel::setUrlOpener([this, result](const QUrl& url) {
            opened << url;
            return result;
        });
    }
    ~OpenerSpy() { TLinkLabel::setUrlOpener(previous); }
    OpenerSpy(const OpenerSpy&) = delete;
    OpenerSpy& operator=(const OpenerSpy&) = delete;

    QList<QUrl> opened;
    TLinkLabel::UrlOpener previous;
};
