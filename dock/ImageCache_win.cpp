#include "dock/ImageCache_win.h"

#include <shellapi.h>
#include <shlwapi.h>
#include <wincodec.h>

#include <algorithm>
#include <cstdio>
#include <utility>

#include "core/AppState.h"
#include "dock/Geometry.h"
#include "icons/IconExtraction_win.h"
#include "icons/ImageFiles_win.h"

namespace qor {

namespace {

using namespace gdip;

constexpr int kMaxSide = 4096; // no rendering is ever larger; guards against absurd requests

// Attributes that make scaled drawing sample the mirrored image beyond its edges, so a resized
// picture keeps opaque, crisp borders instead of fading into transparent fringes.
ImageAttributes EdgeAttributes() {
    GpImageAttributes* attributes = nullptr;
    if (GdipCreateImageAttributes(&attributes) != Ok)
        return {};
    ImageAttributes owner(attributes);
    GdipSetImageAttributesWrapMode(attributes, WrapModeTileFlipXY, 0, FALSE);
    return owner;
}

// A new 32-bit ARGB bitmap of width x height holding `source` drawn over the whole area.
Image RenderInto(GpImage* source, int width, int height) {
    UINT sw = 0;
    UINT sh = 0;
    if (!source || width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide)
        return {};
    if (GdipGetImageWidth(source, &sw) != Ok || GdipGetImageHeight(source, &sh) != Ok || sw == 0 || sh == 0)
        return {};
    GpBitmap* bitmap = nullptr;
    if (GdipCreateBitmapFromScan0(width, height, 0, PixelFormat32bppARGB, nullptr, &bitmap) != Ok)
        return {};
    Image result(bitmap);
    GpGraphics* graphics = nullptr;
    if (GdipGetImageGraphicsContext(bitmap, &graphics) != Ok)
        return {};
    Graphics drawing(graphics);
    GdipSetInterpolationMode(graphics, InterpolationModeHighQualityBicubic);
    GdipSetPixelOffsetMode(graphics, PixelOffsetModeHalf);
    ImageAttributes edges = EdgeAttributes();
    if (GdipDrawImageRectRectI(graphics, source, 0, 0, width, height, 0, 0, static_cast<INT>(sw),
                               static_cast<INT>(sh), UnitPixel, edges.get(), nullptr, nullptr) != Ok)
        return {};
    return result;
}

// Makes cached level 1..4 of `entry` from a picture already at the level's size, for `target`.
bool CacheRendering(GpImage* rendered, ImageLevels& entry, int level, GpGraphics* target) {
    UINT w = 0;
    UINT h = 0;
    if (!rendered || !target || level < 1 || level >= kImageLevels || GdipGetImageWidth(rendered, &w) != Ok ||
        GdipGetImageHeight(rendered, &h) != Ok)
        return false;
    GpCachedBitmap* cached = nullptr;
    if (GdipCreateCachedBitmap(static_cast<GpBitmap*>(rendered), target, &cached) != Ok)
        return false;
    CachedLevel& slot = entry.cached[static_cast<std::size_t>(level - 1)];
    slot.bitmap.reset(cached);
    slot.width = static_cast<int>(w);
    slot.height = static_cast<int>(h);
    return true;
}

// ---- Pre-scaled copies ----------------------------------------------------------------------

std::optional<FILETIME> LastWriteTime(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (path.empty() || !GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return std::nullopt;
    return data.ftLastWriteTime;
}

bool SameTime(const FILETIME& a, const FILETIME& b) {
    return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}

// Saves the rendering at the rest size as the picture's copy, stamped with the picture's
// last-write time; the stamp comes last, so a copy cut short never passes for fresh. A copy that
// cannot be written is simply not there (the picture itself is decoded next time).
void WriteScaledCopy(GpImage* rendered, const std::string& copy, const FILETIME& pictureWritten) {
    if (SavePng(rendered, copy) == Ok) {
        const win::Handle file(CreateFileA(copy.c_str(), FILE_WRITE_ATTRIBUTES,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (win::IsValid(file) && SetFileTime(file.get(), nullptr, nullptr, &pictureWritten))
            return;
    }
    DeleteFileA(copy.c_str());
}

} // namespace

// ---- ImageLevels and ImageStore -------------------------------------------------------------

bool ImageLevels::Has(int level) const {
    if (level == 0)
        return image != nullptr;
    return Cached(level) != nullptr;
}

const CachedLevel* ImageLevels::Cached(int level) const {
    if (level < 1 || level >= kImageLevels)
        return nullptr;
    const CachedLevel& c = cached[static_cast<std::size_t>(level - 1)];
    return c.bitmap ? &c : nullptr;
}

void ImageLevels::Free(int level) {
    if (level == 0) {
        image.reset();
        width = height = 0;
        scalePercent = 100;
        level0Source.clear();
    } else if (level >= 1 && level < kImageLevels) {
        cached[static_cast<std::size_t>(level - 1)] = CachedLevel{};
    }
}

void ImageLevels::FreeAll() {
    for (int level = 0; level < kImageLevels; ++level)
        Free(level);
}

const ImageLevels* ImageStore::Find(int index) const {
    if (index < 0 || index >= Count())
        return nullptr;
    return &m_entries[static_cast<std::size_t>(index)];
}

ImageLevels* ImageStore::Find(int index) {
    if (index < 0 || index >= Count())
        return nullptr;
    return &m_entries[static_cast<std::size_t>(index)];
}

ImageLevels* ImageStore::Entry(int index) {
    if (index < 0)
        return nullptr;
    if (index >= Count())
        m_entries.resize(static_cast<std::size_t>(index) + 1);
    return &m_entries[static_cast<std::size_t>(index)];
}

void ImageStore::FreeAll() {
    for (ImageLevels& entry : m_entries)
        entry.FreeAll();
}

// ---- Rendering ------------------------------------------------------------------------------

bool ScaleIntoCache(GpImage* source, ImageLevels& entry, int level, int width, int height, bool ownSize,
                    GpGraphics* target) {
    if (!source || level < 0 || level >= kImageLevels)
        return false;
    entry.Free(level);
    if (ownSize) {
        UINT w = 0;
        UINT h = 0;
        if (GdipGetImageWidth(source, &w) != Ok || GdipGetImageHeight(source, &h) != Ok)
            return false;
        width = static_cast<int>(w);
        height = static_cast<int>(h);
    }
    Image rendered = RenderInto(source, width, height);
    if (!rendered)
        return false;
    if (level == 0) {
        // Level 0 is drawn scaled at paint time, so it must stay an ordinary image (a cached
        // bitmap cannot be scaled) whether or not it keeps the source's size.
        entry.image = std::move(rendered);
        entry.width = width;
        entry.height = height;
        return true;
    }
    return CacheRendering(rendered.get(), entry, level, target);
}

Image DecodeImage(const Bytes& bytes) {
    if (bytes.empty() || bytes.size() > 0x7FFFFFFF)
        return {};
    const win::ComPtr<IStream> stream(SHCreateMemStream(bytes.data(), static_cast<UINT>(bytes.size())));
    if (!stream)
        return {};
    GpBitmap* decoded = nullptr;
    if (GdipCreateBitmapFromStream(stream.get(), &decoded) != Ok)
        return {};
    // The decoded bitmap reads from its stream for as long as it lives; a copy does not.
    Image source(decoded);
    UINT w = 0;
    UINT h = 0;
    if (GdipGetImageWidth(decoded, &w) != Ok || GdipGetImageHeight(decoded, &h) != Ok)
        return {};
    GpBitmap* copy = nullptr;
    if (GdipCloneBitmapAreaI(0, 0, static_cast<INT>(w), static_cast<INT>(h), PixelFormat32bppARGB, decoded,
                             &copy) != Ok)
        return {};
    return Image(copy);
}

PictureDecoder::PictureDecoder() {
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IWICImagingFactory, m_factory.PutVoid())))
        m_factory.Reset();
}

PictureDecoder::~PictureDecoder() = default;

Image PictureDecoder::Decode(const std::string& path) const {
    if (!m_factory || path.empty())
        return {};
    const std::wstring wide = Widen(path);
    win::ComPtr<IWICBitmapDecoder> decoder;
    if (FAILED(m_factory->CreateDecoderFromFilename(wide.c_str(), nullptr, GENERIC_READ,
                                                    WICDecodeMetadataCacheOnDemand, decoder.Put())))
        return {};
    return FirstFrame(decoder.get());
}

Image PictureDecoder::Decode(const Bytes& bytes) const {
    if (!m_factory || bytes.empty() || bytes.size() > 0x7FFFFFFF)
        return {};
    win::ComPtr<IWICStream> stream;
    if (FAILED(m_factory->CreateStream(stream.Put())) ||
        FAILED(
            stream->InitializeFromMemory(const_cast<BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()))))
        return {};
    win::ComPtr<IWICBitmapDecoder> decoder;
    if (FAILED(m_factory->CreateDecoderFromStream(stream.get(), nullptr, WICDecodeMetadataCacheOnDemand,
                                                  decoder.Put())))
        return {};
    return FirstFrame(decoder.get()); // a copy of the pixels: the bytes may go afterwards
}

Image PictureDecoder::FirstFrame(IWICBitmapDecoder* decoder) const {
    win::ComPtr<IWICBitmapFrameDecode> frame;
    if (FAILED(decoder->GetFrame(0, frame.Put())))
        return {};
    win::ComPtr<IWICFormatConverter> converter;
    if (FAILED(m_factory->CreateFormatConverter(converter.Put())))
        return {};
    // Straight (not pre-multiplied) BGRA in memory is GDI+'s 32-bit ARGB.
    if (FAILED(converter->Initialize(frame.get(), GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone,
                                     nullptr, 0.0, WICBitmapPaletteTypeCustom)))
        return {};
    UINT w = 0;
    UINT h = 0;
    if (FAILED(converter->GetSize(&w, &h)) || w == 0 || h == 0 || w > static_cast<UINT>(kMaxSide) ||
        h > static_cast<UINT>(kMaxSide))
        return {};
    GpBitmap* bitmap = nullptr;
    if (GdipCreateBitmapFromScan0(static_cast<INT>(w), static_cast<INT>(h), 0, PixelFormat32bppARGB, nullptr,
                                  &bitmap) != Ok)
        return {};
    Image result(bitmap);
    {
        const LockedBits lock(bitmap, 0, 0, static_cast<INT>(w), static_cast<INT>(h), ImageLockModeWrite,
                              PixelFormat32bppARGB);
        if (!lock)
            return {};
        const UINT stride = static_cast<UINT>(lock.Data().Stride);
        if (FAILED(converter->CopyPixels(nullptr, stride, stride * h, static_cast<BYTE*>(lock.Data().Scan0))))
            return {};
    }
    return result;
}

Image LoadImageFile(const std::string& path, const PictureDecoder* decoder) {
    if (path.empty())
        return {};
    if (decoder)
        if (Image decoded = decoder->Decode(path))
            return decoded;
    const std::wstring wide = Widen(path);
    GpBitmap* loaded = nullptr;
    if (GdipCreateBitmapFromFile(wide.c_str(), &loaded) != Ok)
        return {};
    // GDI+ keeps the file open while the loaded bitmap lives; the copy lets it go.
    Image source(loaded);
    UINT w = 0;
    UINT h = 0;
    if (GdipGetImageWidth(loaded, &w) != Ok || GdipGetImageHeight(loaded, &h) != Ok)
        return {};
    GpBitmap* copy = nullptr;
    if (GdipCloneBitmapAreaI(0, 0, static_cast<INT>(w), static_cast<INT>(h), PixelFormat32bppARGB, loaded,
                             &copy) != Ok)
        return {};
    return Image(copy);
}

// ---- ImageCache -----------------------------------------------------------------------------

bool ImageCache::LoadWorkingFromFile(const std::string& path) {
    m_working = LoadImageFile(path, &m_decoder);
    return m_working != nullptr;
}

bool ImageCache::LoadWorkingFromShellIcon(const std::string& path) {
    m_working.reset();
    if (path.empty() || GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES)
        return false;
    SHFILEINFOA info{};
    // Large icon handle plus the system image index (0x4100).
    if (!SHGetFileInfoA(path.c_str(), 0, &info, sizeof info, SHGFI_ICON | SHGFI_SYSICONINDEX))
        return false;
    const win::Icon icon(info.hIcon);
    if (!icon)
        return false;
    m_working = IconToBitmap(icon.get());
    return m_working != nullptr;
}

void ImageCache::ScaleIntoCache(int index, int level, int width, int height, bool ownSize) {
    if (!m_working)
        return;
    if (ImageLevels* entry = m_store.Entry(index))
        qor::ScaleIntoCache(m_working.get(), *entry, level, width, height, ownSize, m_target);
}

bool ImageCache::BuildFromPicture(int index, const std::string& path, const std::string& copy, int level,
                                  int side, bool withLevel0) {
    ImageLevels* entry = m_store.Entry(index);
    if (!entry || level < 1 || level >= kImageLevels || side <= 0 || side > kMaxSide)
        return false;
    const std::optional<FILETIME> written = LastWriteTime(path);
    if (!written)
        return false;
    if (!copy.empty() && BuildFromCopy(*entry, path, copy, *written, level, side, withLevel0))
        return true;
    const Image picture = LoadImageFile(path, &m_decoder);
    if (!picture)
        return false;
    entry->FreeAll();
    const Image rendered = RenderInto(picture.get(), side, side);
    if (rendered && CacheRendering(rendered.get(), *entry, level, m_target) && !copy.empty()) {
        if (!m_copiesLater) {
            WriteScaledCopy(rendered.get(), copy, *written);
        } else {
            // A plain copy of the pixels waits: under Wine the rendering itself, kept beside the
            // cached bitmap made from it, holds some 170 KB of private memory.
            GpBitmap* pixels = nullptr;
            if (GdipCloneBitmapAreaI(0, 0, side, side, PixelFormat32bppARGB, AsBitmap(rendered), &pixels) ==
                Ok)
                m_copies.push_back(CopyToWrite{Image(pixels), copy, *written});
        }
    }
    if (withLevel0)
        qor::ScaleIntoCache(picture.get(), *entry, 0, 0, 0, true, nullptr);
    return true;
}

bool ImageCache::BuildFromCopy(ImageLevels& entry, const std::string& path, const std::string& copy,
                               const FILETIME& pictureWritten, int level, int side, bool withLevel0) {
    const std::optional<FILETIME> copyWritten = LastWriteTime(copy);
    if (!copyWritten || !SameTime(*copyWritten, pictureWritten))
        return false;
    const Image small = LoadImageFile(copy, &m_decoder);
    UINT w = 0;
    UINT h = 0;
    if (!small || GdipGetImageWidth(small.get(), &w) != Ok || GdipGetImageHeight(small.get(), &h) != Ok ||
        w != static_cast<UINT>(side) || h != static_cast<UINT>(side))
        return false;
    ImageLevels built;
    if (!CacheRendering(small.get(), built, level, m_target))
        return false;
    entry = std::move(built);
    if (withLevel0)
        entry.level0Source = path;
    return true;
}

void ImageCache::MakeDeferredLevel0(ImageLevels& entry) {
    if (entry.level0Source.empty() || entry.image)
        return;
    const std::string path = std::move(entry.level0Source);
    entry.level0Source.clear(); // one attempt: a picture that no longer loads leaves level 0 empty
    const Image picture = LoadImageFile(path, &m_decoder);
    if (picture)
        qor::ScaleIntoCache(picture.get(), entry, 0, 0, 0, true, nullptr);
}

const ImageLevels* ImageCache::WithLevel0(int index) {
    ImageLevels* entry = m_store.Find(index);
    if (entry)
        MakeDeferredLevel0(*entry);
    return entry;
}

std::size_t ImageCache::PendingWork() const {
    std::size_t count = m_copies.size();
    for (int index = 0; index < m_store.Count(); ++index)
        if (!m_store.Find(index)->level0Source.empty())
            ++count;
    return count;
}

std::size_t ImageCache::DoPendingWork(std::size_t count) {
    std::size_t done = 0;
    for (int index = 0; done < count && index < m_store.Count(); ++index) {
        ImageLevels& entry = *m_store.Find(index);
        if (entry.level0Source.empty())
            continue;
        MakeDeferredLevel0(entry);
        ++done;
    }
    for (; done < count && !m_copies.empty(); ++done) {
        const CopyToWrite& c = m_copies.back();
        WriteScaledCopy(c.rendered.get(), c.path, c.pictureWritten);
        m_copies.pop_back();
    }
    return done;
}

void ImageCache::FreeEntries(int index) {
    if (ImageLevels* entry = m_store.Find(index))
        entry->FreeAll();
}

void ImageCache::SwapEntries(int a, int b) {
    if (a < 0 || b < 0 || a == b)
        return;
    m_store.Entry(std::max(a, b)); // grown first: the second lookup must not move the first
    std::swap(*m_store.Entry(a), *m_store.Entry(b));
}

bool ImageCache::HasEntry(int index, int level) const {
    const ImageLevels* entry = m_store.Find(index);
    return entry && entry->Has(level);
}

void ImageCache::RebuildLevel(int index, int level, int size) {
    ImageLevels* entry = m_store.Find(index);
    if (!entry || level < 1 || level >= kImageLevels)
        return;
    MakeDeferredLevel0(*entry);
    entry->Free(level);
    if (entry->image)
        qor::ScaleIntoCache(entry->image.get(), *entry, level, size, size, false, m_target);
}

void ImageCache::FreeAll() {
    m_store.FreeAll();
    m_working.reset();
    m_copies.clear(); // unwritten copies are simply made again at the next start
}

// ---- SkinCache ------------------------------------------------------------------------------

GpImageAttributes* SkinCache::Fade(int k) const {
    if (k < 0 || k >= kFadeSteps)
        return nullptr;
    return m_fade[static_cast<std::size_t>(k)].get();
}

bool SkinCache::CreateFadeAttributes() {
    bool all = true;
    for (int k = 0; k < kFadeSteps; ++k) {
        ColorMatrix matrix{};
        for (int i = 0; i < 5; ++i)
            matrix.m[i][i] = 1.0f;
        matrix.m[3][3] = FadeAlpha(k);
        GpImageAttributes* attributes = nullptr;
        m_fade[static_cast<std::size_t>(k)].reset();
        if (GdipCreateImageAttributes(&attributes) != Ok) {
            all = false;
            continue;
        }
        m_fade[static_cast<std::size_t>(k)].reset(attributes);
        GdipSetImageAttributesColorMatrix(attributes, ColorAdjustTypeBitmap, TRUE, &matrix, nullptr,
                                          ColorMatrixFlagsDefault);
        // Same edge handling as unfaded scaled drawing, so a fade does not change the outline.
        GdipSetImageAttributesWrapMode(attributes, WrapModeTileFlipXY, 0, FALSE);
    }
    return all;
}

void SkinCache::FreeAll() {
    m_store.FreeAll();
    for (ImageAttributes& fade : m_fade)
        fade.reset();
}

// ---- Skin loading ---------------------------------------------------------------------------

SkinReader ResourceSkinReader(HMODULE module) {
    return [module](const std::string& name) -> std::optional<Bytes> {
        HRSRC found = FindResourceA(module, name.c_str(), "CUSTOM");
        if (!found)
            return std::nullopt;
        const DWORD size = SizeofResource(module, found);
        HGLOBAL loaded = LoadResource(module, found); // module memory: nothing to free
        const void* data = loaded ? LockResource(loaded) : nullptr;
        if (!data || size == 0)
            return std::nullopt;
        const auto* begin = static_cast<const uint8_t*>(data);
        return Bytes(begin, begin + size);
    };
}

namespace {

// Times one step of the picture building as a "step" line of the trace: a part of the start-up
// phase around it (LoadSkinImages), so that the phases alone still add up to the start-up time.
// Costs one virtual call when the trace is off.
class StepTrace {
public:
    StepTrace(const AppState& app, const char* name)
        : m_app(app), m_name(name), m_on(app.sys.trace && app.sys.clock && app.sys.trace->Enabled()) {
        if (m_on)
            m_start = app.sys.clock->NowMs();
    }
    ~StepTrace() {
        if (!m_on)
            return;
        char line[96];
        std::snprintf(line, sizeof line, "step %s ms=%.3f", m_name, m_app.sys.clock->NowMs() - m_start);
        m_app.sys.trace->Line(line);
    }
    StepTrace(const StepTrace&) = delete;
    StepTrace& operator=(const StepTrace&) = delete;

private:
    const AppState& m_app;
    const char* m_name;
    bool m_on;
    double m_start = 0;
};

Image ReadSkinPicture(const SkinReader& read, const char* name, const PictureDecoder& decoder) {
    if (!read)
        return {};
    std::optional<Bytes> bytes = read(name);
    if (!bytes)
        return {};
    if (Image decoded = decoder.Decode(*bytes))
        return decoded;
    return DecodeImage(*bytes);
}

// Without the icon resolution: level 1 and level 0 from the item's own picture file.
void BuildFromPictureFile(AppState& app, ImageCache& images, int item) {
    DockItem& it = app.store.Items[static_cast<std::size_t>(item)];
    if (it.Kind == kind::Free)
        return;
    if (!images.LoadWorkingFromFile(it.LargeIconPath.Clean()) &&
        !images.LoadWorkingFromFile(it.IconPath.Clean()))
        return;
    images.FreeEntries(item);
    images.ScaleIntoCache(item, 1, app.geo.SizeLevels[1], app.geo.SizeLevels[1], false);
    images.ScaleIntoCache(item, 0, 0, 0, true);
    images.DisposeWorking();
}

} // namespace

namespace {

// A skin element's picture for the screen's scale, and the scale it was drawn for: the nearest
// of the shipped ones, else the one at 100 %.
Image ReadScaledSkinPicture(const AppState& app, const SkinReader& read, const char* name,
                            const PictureDecoder& decoder, int& scalePercent) {
    scalePercent = SkinScaleFor(app.screen.Dpi);
    if (scalePercent != kSkinScales[0])
        if (Image picture = ReadSkinPicture(read, SkinResourceName(name, scalePercent).c_str(), decoder))
            return picture;
    scalePercent = kSkinScales[0];
    return ReadSkinPicture(read, name, decoder);
}

// The skin elements at the renderings the skin table gives them, at the screen's scale;
// "BORDER"'s width at 96 DPI becomes CentreBackSize. Then the fade attributes.
void LoadSkinPictures(AppState& app, SkinCache& skin, const SkinReader& read, const PictureDecoder& decoder) {
    ImageStore& store = skin.Store();
    const ScreenMetrics& screen = app.screen;
    for (const SkinElement& e : SkinElements()) {
        if (e.rendering == SkinRendering::None)
            continue; // the logo is decoded only when the centre has no picture of its own
        int scalePercent = kSkinScales[0];
        Image picture = ReadScaledSkinPicture(app, read, e.name, decoder, scalePercent);
        ImageLevels* entry = store.Entry(e.number);
        entry->FreeAll();
        if (!picture)
            continue;
        switch (e.rendering) {
        case SkinRendering::Level0:
            ScaleIntoCache(picture.get(), *entry, 0, 0, 0, true, nullptr);
            entry->scalePercent = scalePercent;
            break;
        case SkinRendering::Level1Fixed:
            ScaleIntoCache(picture.get(), *entry, 1, screen.Scaled(e.cachedWidth),
                           screen.Scaled(e.cachedHeight), false, skin.Target());
            break;
        case SkinRendering::AllSizeLevels:
            ScaleIntoCache(picture.get(), *entry, 0, 0, 0, true, nullptr);
            entry->scalePercent = scalePercent;
            for (int level = 1; level < kImageLevels; ++level) {
                const int side = app.geo.SizeLevels[static_cast<std::size_t>(level)];
                ScaleIntoCache(picture.get(), *entry, level, side, side, false, skin.Target());
            }
            break;
        case SkinRendering::None:
            break;
        }
        if (e.number == qor::skin::Border) {
            UINT width = 0;
            if (GdipGetImageWidth(picture.get(), &width) == Ok && width > 0) {
                app.run.CentreBackSize = RoundHalfEven(static_cast<double>(width) * 100 / scalePercent);
                ApplyCentreBackSize(app.geo, app.screen, app.run.CentreBackSize);
            }
        }
    }
    skin.CreateFadeAttributes();
}

// The centre: item 0's picture (the user's), else the logo, at the centre's size (128 x 128 at
// 96 DPI).
void LoadCentrePicture(AppState& app, ImageCache& images, const SkinReader& read) {
    images.FreeEntries(kCentreItem);
    if (!app.store.IsItem(kCentreItem))
        return;
    const std::string centrePath = app.store.Items[kCentreItem].IconPath.Clean();
    Image centre = LoadImageFile(centrePath, &images.Decoder());
    int scalePercent = kSkinScales[0];
    if (!centre)
        centre = ReadScaledSkinPicture(app, read, "LOGO", images.Decoder(), scalePercent);
    images.SetWorking(std::move(centre));
    const int side = app.screen.Scaled(app.run.MaxIconSize);
    images.ScaleIntoCache(kCentreItem, 0, side, side, false);
    images.DisposeWorking();
}

} // namespace

void LoadSkinImages(AppState& app, SkinCache& skin, ImageCache& images, const SkinReader& read,
                    const ItemImageBuilder& buildItem) {
    {
        const StepTrace step(app, "SkinPictures");
        LoadSkinPictures(app, skin, read, images.Decoder());
    }
    {
        const StepTrace step(app, "CentrePicture");
        LoadCentrePicture(app, images, read);
    }
    const StepTrace step(app, "ItemPictures");
    // Pre-scaled copies made now are written after the first frame.
    images.SetCopiesLater(true);
    auto build = [&](int item) {
        if (!app.store.IsItem(item))
            return;
        if (buildItem)
            buildItem(item);
        else
            BuildFromPictureFile(app, images, item);
    };
    for (int item = kFileTemplate; item <= kGroupTemplate; ++item)
        build(item);
    for (int item = 1; item <= app.store.LastItem(); ++item)
        if (item < kFileTemplate || item > kGroupTemplate)
            build(item);
    images.SetCopiesLater(false);
}

void ReleaseImages(SkinCache& skin, ImageCache& images) {
    skin.FreeAll();
    images.FreeAll();
}

void RebuildSizeLevel(const AppState& app, SkinCache& skin, ImageCache& images, int level) {
    if (level < 1 || level >= kImageLevels)
        return;
    const int side = app.geo.SizeLevels[static_cast<std::size_t>(level)];
    if (ImageLevels* backdrop = skin.Store().Find(qor::skin::BackSelectColor)) {
        backdrop->Free(level);
        if (backdrop->image)
            ScaleIntoCache(backdrop->image.get(), *backdrop, level, side, side, false, skin.Target());
    }
    for (int item = 1; item <= kLastTemplate; ++item)
        images.RebuildLevel(item, level, side);
}

} // namespace qor
