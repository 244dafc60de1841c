// What the list window's filter box matches. Texts are compared in a search
// form: NFKC (full-width Latin letters and digits become ASCII, half-width
// kana become full-width kana) and case-folded, so "ｔｏｄｏ", "TODO" and
// "todo" are alike, and so are "ｶﾅ" and "カナ".
#pragma once

#include <QString>
#include <QStringList>

QString searchForm(const QString& text);

// True when `typed` is empty or one of `texts` contains it in search form.
bool matchesFilter(const QStringList& texts, const QString& typed);
