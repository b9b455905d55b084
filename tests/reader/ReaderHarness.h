#pragma once

#include "RecordingMessageView.h"
#include "app/core/ParameterTable.h"
#include "reader/InternetMessageReader.h"
#include "support/ScriptedPrompter.h"

// The internet message reader with a recording view, a parameter table without
// own accounts or GnuPG, and a scripted prompter.
struct ReaderHarness
{
    RecordingMessageView view;
    ParameterTable parameters;
    ScriptedPrompter prompter;
    MessageInfo info;
    InternetMessageReader reader{view, parameters, prompter, info};

    ReaderHarness()
    {
        for (int i = 1; i <= 10; ++i) {
            parameters.setValue(QString(QStringLiteral("MailAccount") + QString::number(i)), QString());
        }
        parameters.setValue(u"GPGPath", QString());
    }
};
