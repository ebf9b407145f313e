#include "items/DragDrop.h"

#include <algorithm>

#include "core/AppState.h"
#include "dock/Canvas.h"
#include "dock/DockActions.h"
#include "dock/Paint.h"
#include "dock/Skin.h"
#include "icons/IconResolve.h"
#include "platform/Shell.h"

namespace qor {

namespace {

constexpr int kRecycleBinSlot = 2; // where the default catalogue puts the recycle bin
constexpr int kFirstRefusingKind = 10;
constexpr std::size_t kTargetWidth = 255;

int SlotKindOf(const AppState& app, int slot) {
    return slot >= 0 && slot <= kSlotBound ? app.dock.SlotKind[static_cast<std::size_t>(slot)] : kind::Free;
}

bool InRing(const AppState& app, int slot) {
    return slot >= 0 && slot <= std::min(app.run.IconCount, kLastRingSlot);
}

int GroupCount(const AppState& app, int slot) {
    return app.store.IsGroup(slot) ? app.store.Groups[slot].Count : 0;
}

// Adding stops once the group the files go to is full.
bool Filled(const AppState& app, int slotKind, int slot) {
    const int count = GroupCount(app, slot);
    if (slotKind == kind::AllPrograms)
        return count >= kAllProgramsCapacity;
    return (slotKind == kind::Shortcut || slotKind == kind::Blank || slotKind == kind::Group) &&
           count >= kGroupCapacity;
}

} // namespace

int DropIndicatorElement(DropIndicator indicator) {
    switch (indicator) {
    case DropIndicator::NoDrop:
        return skin::NoDrop;
    case DropIndicator::AddIcon:
        return skin::AddIcon;
    case DropIndicator::ReplaceIcon:
        return skin::ReplaceIcon;
    default:
        return -1;
    }
}

DropIndicator ChooseDropIndicator(AppState& app, int slot, bool hasFiles) {
    if (app.cfg.LockDragging != 0)
        return DropIndicator::NoDrop;
    const int k = SlotKindOf(app, slot);
    if (hasFiles && k < kFirstRefusingKind) {
        switch (k) {
        case kind::Shortcut:
            return DropIndicator::ReplaceIcon;
        case kind::Blank:
        case kind::RecycleBin:
            return DropIndicator::AddIcon;
        case kind::Group:
        case kind::AllPrograms:
            return GroupHasRoom(app.store, slot) ? DropIndicator::AddIcon : DropIndicator::NoDrop;
        default:
            return DropIndicator::None;
        }
    }
    if (hasFiles && k == kind::User)
        return FindFreeItem(app, 1) > 0 ? DropIndicator::AddIcon : DropIndicator::NoDrop;
    return DropIndicator::NoDrop;
}

uint32_t DropEffectFor(DropIndicator indicator, int slot, uint32_t allowed) {
    if (indicator != DropIndicator::AddIcon && indicator != DropIndicator::ReplaceIcon)
        return dropeffect::None;
    if (slot == kRecycleBinSlot)
        return allowed & dropeffect::Move;
    if (allowed & dropeffect::Link)
        return dropeffect::Link;
    return allowed & dropeffect::Copy;
}

DroppedFiles StorableDroppedPaths(const std::vector<CodePageChars>& names) {
    DroppedFiles out;
    for (const CodePageChars& name : names) {
        if (out.paths.size() + out.refused >= kMaxDroppedFiles)
            break;
        FieldFit fit = FitStoredField(name, kTargetWidth, FieldOverflow::Refuse);
        if (fit.Accepted() && !fit.text.empty())
            out.paths.push_back(std::move(fit.text));
        else
            ++out.refused;
    }
    return out;
}

std::string RefusedDropText(std::size_t refused) {
    const std::string what = refused == 1 ? "One of the dropped files was"
                                          : std::to_string(refused) + " of the dropped files were";
    return what + " not added: its path contains characters that cannot be stored with this computer's "
                  "language settings, or is longer than 255 characters. Rename or move the file and try "
                  "again.";
}

int DeleteToRecycleBin(AppState& app, const std::string& path) {
    return app.sys.shell ? app.sys.shell->DeleteToRecycleBin(path, kRecycleFlags) : -1;
}

DropIndicator DropTarget::DragOver(int x, int y, bool hasFiles) {
    DockRuntime& d = m_app.dock;
    if (d.State == dockstate::Minimized)
        return DropIndicator::None;
    d.IdleTicks = 0; // a drag in progress is no idle time
    if (!d.KeyboardMode)
        m_host.ToTopmost();
    d.DragSlot = HitTest(m_app.geo, m_app.run.IconCount, x, y);
    const DropIndicator indicator =
        d.DragSlot == -1 ? DropIndicator::None : ChooseDropIndicator(m_app, d.DragSlot, hasFiles);
    Paint(indicator, x, y);
    if (d.DragSlot == -1 && !d.KeyboardMode)
        m_host.ToBottom(false);
    return indicator;
}

void DropTarget::DragLeave() {
    m_app.dock.DragSlot = -1;
    if (m_app.dock.State == dockstate::Minimized)
        return;
    Paint(DropIndicator::None, 0, 0);
    if (!m_app.dock.KeyboardMode)
        m_host.ToBottom(false);
}

void DropTarget::Paint(DropIndicator indicator, int x, int y) {
    ICanvas* canvas = m_host.PaintCanvas();
    if (!canvas)
        return;
    const int element = DropIndicatorElement(indicator);
    // Over a position the picture is presented once, with the indicator on it.
    const bool over = m_app.dock.DragSlot != -1;
    DockNormal(m_app, *canvas, over);
    if (!over)
        return;
    if (element >= 0)
        canvas->DrawCached(SkinImage(element), 1, x - kDropIndicatorOffset, y - kDropIndicatorOffset);
    canvas->Present(255);
}

void DropTarget::Drop(const std::vector<std::string>& files, bool hasFiles, std::size_t refused) {
    DockRuntime& d = m_app.dock;
    int slot = d.DragSlot;
    if (d.State == dockstate::Minimized || !InRing(m_app, slot) || m_app.cfg.LockDragging != 0) {
        d.DragSlot = -1;
        return;
    }
    if (!d.KeyboardMode)
        m_host.ToBottom(false);
    IUi* ui = m_app.sys.ui;
    Trace("drop slot=" + std::to_string(slot) + " files=" + std::to_string(files.size()) +
          " refused=" + std::to_string(refused));
    if (refused > 0 && ui)
        ui->ShowMessage(RefusedDropText(refused), "QOR Desktop", mb::IconExclamation | mb::SetForeground);

    int k = SlotKindOf(m_app, slot);
    if ((k == kind::AllPrograms || k == kind::Group) && !GroupHasRoom(m_app.store, slot)) {
        if (ui)
            ui->ShowMessage(kGroupFullText, kAddShortcutCaption, mb::IconInformation | mb::SetForeground);
        return Finish(false);
    }
    if (slot == kRecycleBinSlot) {
        const int answer =
            ui ? ui->ShowMessage(kDeleteFilesText, kDeleteFilesCaption,
                                 mb::YesNo | mb::DefButton2 | mb::IconQuestion | mb::SetForeground)
               : mb::IdNo;
        if (answer == mb::IdYes)
            for (const std::string& file : files)
                Trace("drop recycle result=" + std::to_string(DeleteToRecycleBin(m_app, file)));
        return Finish(false);
    }
    if (slot == kCentreItem) {
        slot = FindFreeItem(m_app, 1);
        if (slot == kAllProgramsGroup && ui)
            ui->ShowMessage(kDesktopGroupFullText, "QOR Desktop", mb::Ok | mb::SetForeground);
        k = SlotKindOf(m_app, slot);
    }
    if (!hasFiles || files.empty() || k >= kFirstRefusingKind)
        return Finish(false);

    // Position 0 is the shortcut's own target, which becomes the first member of a new group.
    std::vector<std::string> list;
    list.reserve(std::min(files.size(), kMaxDroppedFiles) + 1);
    list.push_back(k == kind::Shortcut ? m_app.store.Items[slot].Target.Clean() : std::string());
    for (std::size_t i = 0; i < files.size() && i < kMaxDroppedFiles; ++i)
        list.push_back(files[i]);

    if (list.size() == 2) {
        AddPathToItem(m_app, list[1], slot);
    } else {
        std::size_t start = 0;
        if (k == kind::Shortcut || k == kind::Blank) {
            MakeGroup(slot);
            start = k == kind::Shortcut ? 0 : 1;
        } else if (k == kind::Group || k == kind::AllPrograms) {
            start = 1;
        }
        for (std::size_t i = start; i < list.size(); ++i) {
            if (!list[i].empty())
                AddPathToItem(m_app, list[i], slot);
            if (Filled(m_app, k, slot))
                break;
        }
    }
    IniIconParam(m_app);
    Finish(true);
}

void DropTarget::MakeGroup(int slot) {
    std::string name = m_program ? m_program->InputText(kNewGroupPrompt, kNewGroupCaption, kNewGroupName)
                                 : std::string(kNewGroupName);
    if (TrimBlanks(name).empty())
        name = kNewGroupName;
    DiscardItem(m_app, slot);
    DockItem& item = m_app.store.Items[slot];
    item.Kind = kind::Group;
    item.Title = name;
    item.IconRef = slot;
    item.IconPath = m_app.paths.SysIconsFolder + "Group.png";
    BuildItemImages(m_app, slot);
    Trace("drop new-group slot=" + std::to_string(slot) + " title=" + item.Title.Peek());
}

void DropTarget::Finish(bool save) {
    DockRuntime& d = m_app.dock;
    if (ICanvas* canvas = m_host.PaintCanvas())
        DockNormal(m_app, *canvas, false);
    if (save) {
        const bool ok = m_host.SaveMenu();
        Trace(std::string("save file=menu reason=drop ok=") + (ok ? "1" : "0"));
    }
    d.DragSlot = -1;
    if (!d.KeyboardMode)
        m_host.ToBottom(false);
}

void DropTarget::Trace(const std::string& text) const {
    if (m_app.sys.trace && m_app.sys.trace->Enabled())
        m_app.sys.trace->Line(text);
}

} // namespace qor
