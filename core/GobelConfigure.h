#ifndef GOBELCONFIGURE_H
#define GOBELCONFIGURE_H

#include <QString>

// The run settings: never stored, every run starts with the defaults.
class GobelConfigure
{
public:
    GobelConfigure();

    bool m_bMerge = false; // merge all queued files into one output
    QString m_strOutputFolder; // absolute, "/" as separator
};

extern GobelConfigure g_Configure;

#endif // GOBELCONFIGURE_H
