#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/framework/Archive.h"

class CView;
class IFrameworkUi;

// The base of a document: the modified flag, the path it was loaded from or
// saved to, its views, and the steps of New, Open and Save around the
// document's own Serialize. Load and save errors go to the message sink.
class CDocument {
public:
    virtual ~CDocument();
    CDocument(const CDocument&) = delete;
    CDocument& operator=(const CDocument&) = delete;

    bool IsModified() const { return modified_; }
    void SetModifiedFlag(bool modified = true) { modified_ = modified; }

    // Empty for a document that has never been saved or opened.
    const std::string& GetPathName() const { return pathName_; }
    void SetPathName(const std::string& path) { pathName_ = path; }
    // The file name of the path, or "無題" for an unsaved document.
    std::string GetTitle() const;

    void AddView(CView* view);
    void RemoveView(CView* view);
    void UpdateAllViews(CView* sender, long hint = 0);
    void SendInitialUpdate();

    // Where load and save errors are shown; none means they are only kept.
    void SetMessageSink(IFrameworkUi* ui) { messageSink_ = ui; }
    // The last load or save error, empty after a success.
    const std::string& GetLastErrorText() const { return lastErrorText_; }

    // Hooks. DeleteContents empties the document; OnNewDocument empties it and
    // clears the flag and the path; OnOpenDocument reads the file, empties the
    // document and loads it (false when the file cannot be read, with the
    // document untouched, or when its contents are damaged, with the document
    // emptied); OnSaveDocument stores the document and writes it in place of
    // the file without ever damaging the old file.
    virtual void DeleteContents() {}
    // Ends whatever the document still does in the background (a load), so
    // that it stands still before it is saved or discarded.
    virtual void StopBackgroundWork() {}
    virtual bool OnNewDocument();
    virtual bool OnOpenDocument(const std::string& path);
    virtual bool OnSaveDocument(const std::string& path);
    virtual void Serialize(CArchive& archive) = 0;

    // The largest document file that is read.
    static constexpr uint64_t kMaxFileBytes = uint64_t {256} << 20;

protected:
    CDocument() = default;
    void ReportError(const std::string& text);

private:
    bool LoadFrom(const std::string& path, std::span<const uint8_t> bytes);

    bool modified_ = false;
    std::string pathName_;
    std::vector<CView*> views_;
    IFrameworkUi* messageSink_ = nullptr;
    std::string lastErrorText_;
};
