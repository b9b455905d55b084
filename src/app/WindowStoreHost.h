#pragma once

#include "store/DbListHost.h"

class TFrmTdw;

// The main window as the store's controllers see it: its mode word, actions,
// list window place, status bar and the modes that exclude the open list.
class WindowStoreHost final : public PmodeWord,
                              public CommandSwitchboard,
                              public ListWindowPlace,
                              public StatusPanels,
                              public ExclusiveModes
{
public:
    explicit WindowStoreHost(TFrmTdw& window);

    [[nodiscard]] DbListHost host() { return {*this, *this, *this, *this, *this}; }

    [[nodiscard]] quint16 pmode() const override;
    void setPmode(quint16 value) override;

    [[nodiscard]] bool isCommandEnabled(const QString& name) const override;
    void setCommandEnabled(const QString& name, bool enabled) override;
    void setCommandChecked(const QString& name, bool checked) override;
    void performCommand(const QString& name) override;
    void setConnectImage(int imageIndex) override;

    void dockListWindow() override;
    void closeListWindow() override;
    void setListShortcut(const QString& command, const QString& keys) override;

    void setStatusText(int panel, const QString& text) override;

    void switchOffFileWorkbench() override;
    void switchOffBulkSender() override;
    void clearMessageView() override;

private:
    TFrmTdw& m_window;
};
