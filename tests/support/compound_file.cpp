// libgsf (GLib) before Qt: Qt's keyword macros clash with GLib's headers.
#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-memory.h>
#include <gsf/gsf-utils.h>

#include "tests/support/compound_file.h"

#include "platform/byte_writer.h"
#include "platform/emf/recording_canvas.h"

namespace vx::test {

QByteArray makeCompoundFile(const std::vector<CompoundStream>& streams, const QByteArray& clsid) {
    gsf_init();
    GsfOutput* memory = gsf_output_memory_new();
    GsfOutfile* file = gsf_outfile_msole_new(memory);
    for (const CompoundStream& s : streams) {
        GsfOutput* child = gsf_outfile_new_child(file, s.name.constData(), FALSE);
        gsf_output_write(child, size_t(s.data.size()),
                         reinterpret_cast<const guint8*>(s.data.constData()));
        gsf_output_close(child);
        g_object_unref(child);
    }
    if (clsid.size() == 16)
        gsf_outfile_msole_set_class_id(GSF_OUTFILE_MSOLE(file),
                                       reinterpret_cast<const guint8*>(clsid.constData()));
    gsf_output_close(GSF_OUTPUT(file));
    g_object_unref(file);
    const guint8* bytes = gsf_output_memory_get_bytes(GSF_OUTPUT_MEMORY(memory));
    const QByteArray out(reinterpret_cast<const char*>(bytes), qsizetype(gsf_output_size(memory)));
    g_object_unref(memory); // closed with the file written into it
    return out;
}

QByteArray makePresentationStream(uint32_t clipboardFormat, uint32_t aspect, int32_t widthHimetric,
                                  int32_t heightHimetric, const QByteArray& data) {
    QByteArray bytes;
    ByteWriter out(&bytes);
    out.u32(0xFFFFFFFF);
    out.u32(clipboardFormat);
    out.u32(4); // no target device
    out.u32(aspect);
    out.u32(0xFFFFFFFF); // lindex
    out.u32(2);          // advf
    out.u32(0);
    out.i32(widthHimetric);
    out.i32(heightHimetric);
    out.u32(uint32_t(data.size()));
    out.bytes(data);
    if (clipboardFormat == 3)
        out.zeros(18);
    out.u32(0); // no table of contents
    out.u32(0);
    return bytes;
}

QByteArray makeRedMetafile(int width, int height) {
    emf::RecordingCanvas canvas(QSize(width, height));
    canvas.fillRect(QRect(0, 0, width, height), BrushSpec{BrushStyle::Solid, rgb(255, 0, 0), 0});
    return canvas.finish();
}

QByteArray makeCompObj(const QByteArray& userType, const QByteArray& progId) {
    QByteArray bytes;
    ByteWriter out(&bytes);
    out.u32(0xFFFE0001);
    out.u32(0x00000A03);
    out.zeros(20);
    auto ansi = [&](const QByteArray& s) {
        out.u32(uint32_t(s.size() + 1));
        out.bytes(s);
        out.u8(0);
    };
    ansi(userType);
    out.u32(0); // no clipboard format
    ansi(progId);
    out.u32(0x71B239F4); // Unicode marker, not read
    return bytes;
}

} // namespace vx::test
