// Export: a drawing as SVG (svg_writer.h), and the animation as the
// playback shows it (white, every actor at its interpolated pose, no
// widgets), 48 ms a frame, as lossless animated WebP, animated GIF or one
// PNG per frame. From the command line after a run, from session scripts and
// from Ctrl+E in the window.
//
// Exports read the model and never change what the program shows: frames
// are drawn into a surface of the export's own, and the actors' poses are
// put back afterwards. The one change is the mode selector's: exporting the
// editor's slot stores the edited drawing into it first.
#pragma once
#include <climits>
#include <cstddef>
#include <cstdint>

#include "platform/image_files.h"

constexpr int32_t kMaxExportScale = 6;

// What every export of the run uses.
struct ExportOptions {
    int32_t first_frame;  // 0 <= first_frame <= last_frame <= kLastPlayedFrame
    int32_t last_frame;
    int32_t scale;        // 1..kMaxExportScale, each screen pixel a square of scale x scale
    bool svg_background;  // a white rectangle behind the shapes
};
// Frames 0 to 200, scale 1, white behind SVG drawings.
extern ExportOptions export_options;

// Where one export goes. An export that fails leaves no file under the name
// and says why in message, in one line.
struct ExportTarget {
    const char* path;    // a file, or the folder of a set of files (made when missing)
    bool keep_existing;  // take the first free name like path instead of replacing a file
    char written[PATH_MAX];  // the file written
    char message[PATH_MAX + 96];
};

// Library slot 0..63 as an SVG file. The editor's own slot is the edited
// drawing, stored into the slot first, as the mode selector does.
bool ExportDrawingSvg(int32_t slot, ExportTarget* target);
// Every slot that holds a drawing, as FOLDER/slot-NN.svg.
bool ExportEverySlotSvg(ExportTarget* target);
// The chosen frames as one animation file.
bool ExportAnimation(AnimationFormat format, ExportTarget* target);
// The chosen frames as FOLDER/frame-NNN.png, NNN the frame's number.
bool ExportFrames(ExportTarget* target);

// Ctrl+E: the edited drawing as SVG and the animation as WebP and GIF in the
// export folder, named by slot and local time ("drawing-07-20250102-
// 153000.svg", "animation-20250102-153000.webp"), never replacing a file.
// The paths are printed, and the notice (null: none) shows the names.
void SetExportFolder(const char* folder);  // null: KalveNorix in the user's pictures folder
void SetExportNotice(void (*notice)(const char* text));
void ExportOnKey();

// The command line's exports, carried out when the program ends (after the
// work is saved). A failure is said in one line and the exit status is 2.
struct ExportRequests {
    const char* svg;      // the editor's slot, or svg_slot when not -1
    int32_t svg_slot;
    const char* svg_all;  // a folder
    const char* webp;
    const char* gif;
    const char* frames;   // a folder
};
void RequestExportsAtEnd(const ExportRequests& requests);
bool ExportsRequested();
void RunRequestedExports();

// The session script's commands, whose names are relative to the shot
// folder: export-svg FILE [SLOT], export-webp FILE, export-gif FILE,
// export-frames DIR. For the native hosts; call before a script is read.
void RegisterExportScriptCommands();
