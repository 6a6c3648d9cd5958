#include "LogCategories.h"

Q_LOGGING_CATEGORY(lcApp, "lumivane.app", QtWarningMsg)
Q_LOGGING_CATEGORY(lcConvert, "lumivane.convert", QtWarningMsg)
Q_LOGGING_CATEGORY(lcEditor, "lumivane.editor", QtWarningMsg)
Q_LOGGING_CATEGORY(lcFormats, "lumivane.formats", QtWarningMsg)
Q_LOGGING_CATEGORY(lcHistory, "lumivane.history", QtWarningMsg)
Q_LOGGING_CATEGORY(lcLibraryImport, "lumivane.libraryimport", QtWarningMsg)
Q_LOGGING_CATEGORY(lcModel, "lumivane.model", QtWarningMsg)
Q_LOGGING_CATEGORY(lcPlayer, "lumivane.player", QtWarningMsg)
Q_LOGGING_CATEGORY(lcServices, "lumivane.services", QtWarningMsg)
Q_LOGGING_CATEGORY(lcWidgets, "lumivane.widgets", QtWarningMsg)
