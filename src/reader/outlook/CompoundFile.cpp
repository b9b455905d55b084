#include "reader/outlook/CompoundFile.h"

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-input.h>
#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-memory.h>
#include <gsf/gsf-output.h>
#include <gsf/gsf-utils.h>

#include <QFile>
#include <QLoggingCategory>
#include <QSaveFile>

namespace {

Q_LOGGING_CATEGORY(lcCompoundFile, "tidewell.outlook.compoundfile", QtWarningMsg)

// libgsf reports every oddity of a damaged file on standard error, without
// naming the file; the reader tells the user about the file instead. Its
// reports stay available as debug output of this category.
void routeGsfLog(const gchar* domain, GLogLevelFlags, const gchar* message, gpointer)
{
    qCDebug(lcCompoundFile, "%s: %s", domain ? domain : "libgsf", message);
}

// Holds one GObject reference and drops it at the end of the scope.
template <typename T>
class GRef final
{
public:
    explicit GRef(T* object = nullptr)
        : m_object(object)
    {
    }
    ~GRef()
    {
        if (m_object) {
            g_object_unref(m_object);
        }
    }
    GRef(const GRef&) = delete;
    GRef& operator=(const GRef&) = delete;
    [[nodiscard]] T* get() const { return m_object; }

private:
    T* m_object;
};

void initGsf()
{
    static const bool initialised = [] {
        gsf_init();
        for (const char* domain : {"libgsf", "libgsf:msole", "libgsf:utils"}) {
            g_log_set_handler(domain,
                              static_cast<GLogLevelFlags>(G_LOG_LEVEL_MASK | G_LOG_FLAG_FATAL | G_LOG_FLAG_RECURSION),
                              routeGsfLog,
                              nullptr);
        }
        return true;
    }();
    (void)initialised;
}

bool readEntry(GsfInput* input, CompoundEntry& entry, int depth, qint64& budget)
{
    if (depth > CompoundFile::kMaxDepth) {
        return false;
    }
    const char* name = gsf_input_name(input);
    entry.name = name ? QString::fromUtf8(name) : QString();
    const int count = GSF_IS_INFILE(input) ? gsf_infile_num_children(GSF_INFILE(input)) : -1;
    if (count >= 0) {
        entry.isStorage = true;
        GsfInfile* storage = GSF_INFILE(input);
        for (int i = 0; i < count; ++i) {
            GRef<GsfInput> child(gsf_infile_child_by_index(storage, i));
            if (!child.get()) {
                return false;
            }
            CompoundEntry childEntry;
            if (!readEntry(child.get(), childEntry, depth + 1, budget)) {
                return false;
            }
            entry.children.append(std::move(childEntry));
        }
        return true;
    }
    const gsf_off_t size = gsf_input_size(input);
    if (size < 0 || size > budget) {
        return false;
    }
    budget -= size;
    entry.data.resize(static_cast<qsizetype>(size));
    if (size > 0 && !gsf_input_read(input, static_cast<size_t>(size), reinterpret_cast<guint8*>(entry.data.data()))) {
        return false;
    }
    return true;
}

bool writeEntry(GsfOutfile* parent, const CompoundEntry& entry)
{
    const QByteArray name = entry.name.toUtf8();
    GRef<GsfOutput> child(gsf_outfile_new_child(parent, name.constData(), entry.isStorage));
    if (!child.get()) {
        return false;
    }
    bool ok = true;
    if (entry.isStorage) {
        for (const CompoundEntry& grandChild : entry.children) {
            ok = ok && writeEntry(GSF_OUTFILE(child.get()), grandChild);
        }
    } else if (!entry.data.isEmpty()) {
        ok = gsf_output_write(child.get(),
                              static_cast<size_t>(entry.data.size()),
                              reinterpret_cast<const guint8*>(entry.data.constData()));
    }
    return gsf_output_close(child.get()) && ok;
}

} // namespace

const CompoundEntry* CompoundEntry::child(QStringView childName) const
{
    for (const CompoundEntry& entry : children) {
        if (entry.name.compare(childName, Qt::CaseInsensitive) == 0) {
            return &entry;
        }
    }
    return nullptr;
}

bool CompoundFile::read(const QByteArray& bytes, CompoundEntry& root)
{
    initGsf();
    root = CompoundEntry();
    if (bytes.isEmpty()) {
        return false;
    }
    GRef<GsfInput> memory(
        gsf_input_memory_new(reinterpret_cast<const guint8*>(bytes.constData()), bytes.size(), FALSE));
    if (!memory.get()) {
        return false;
    }
    GError* error = nullptr;
    GRef<GsfInfile> file(gsf_infile_msole_new(memory.get(), &error));
    if (error) {
        g_error_free(error);
    }
    if (!file.get()) {
        return false;
    }
    qint64 budget = kMaxTotalBytes;
    if (!readEntry(GSF_INPUT(file.get()), root, 0, budget)) {
        root = CompoundEntry();
        return false;
    }
    root.isStorage = true;
    return true;
}

bool CompoundFile::write(const CompoundEntry& root, QByteArray& bytes)
{
    initGsf();
    GRef<GsfOutput> memory(gsf_output_memory_new());
    bool ok = false;
    {
        GRef<GsfOutfile> file(gsf_outfile_msole_new(memory.get()));
        if (!file.get()) {
            return false;
        }
        ok = true;
        for (const CompoundEntry& child : root.children) {
            ok = ok && writeEntry(file.get(), child);
        }
        ok = gsf_output_close(GSF_OUTPUT(file.get())) && ok;
    }
    if (!ok) {
        return false;
    }
    GsfOutputMemory* output = GSF_OUTPUT_MEMORY(memory.get());
    const guint8* data = gsf_output_memory_get_bytes(output);
    const gsf_off_t size = gsf_output_size(memory.get());
    bytes = QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    return true;
}

bool CompoundFile::write(const CompoundEntry& root, const QString& path)
{
    QByteArray bytes;
    if (!write(root, bytes)) {
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
