#pragma once

#include "fileops/SelectionCommand.h"
#include "platform/Error.h"
#include "platform/MsgBoxCodes.h"
#include "platform/PathText.h"

#include <exception>
#include <new>
#include <string>

// One step of a delete or copy command, repeated while the user answers Yes
// to its failure box.
namespace umbrix {

enum class StepEnd {
    Done,
    Skipped, // failed, and the user answered No: go on with the next step
    GaveUp   // failed, and the user answered Cancel
};

enum class RetryAnswer { Again, Next, GiveUp };

// The failure box of the file commands: the entry's path, two line breaks
// and the failure's description, under `title`; No is the default.  Cancel
// is offered when `offerCancel`.  The answer is kept in MsgAnswer.
RetryAnswer askToRetry(SelectionCommandView& view, const std::string& path,
                       const std::string& description, const std::string& title, bool offerCancel);

// Whether the failure is the process having no descriptor left: every step
// after it would fail the same way, so the command ends at once.
bool outOfDescriptors(const Error& error);

// The one box, OK alone, that tells of it.
void tellOutOfDescriptors(SelectionCommandView& view, const std::string& path,
                          const std::string& description, const std::string& title);

// Runs `step` until it succeeds or the user stops retrying.  `path` is read
// when a failure is shown, so a step may change it.
template <class Step>
StepEnd retryStep(SelectionCommandView& view, const std::string& path, const std::string& title,
                  bool offerCancel, Step step)
{
    for (;;) {
        std::string description;
        try {
            step();
            return StepEnd::Done;
        } catch (const Error& e) {
            if (outOfDescriptors(e)) {
                tellOutOfDescriptors(view, path, e.description, title);
                return StepEnd::GaveUp;
            }
            description = e.description;
        } catch (const std::bad_alloc&) {
            description = standardDescription(ErrorNumber::OutOfMemory);
        }
        switch (askToRetry(view, path, description, title, offerCancel)) {
        case RetryAnswer::Again:
            continue;
        case RetryAnswer::Next:
            return StepEnd::Skipped;
        case RetryAnswer::GiveUp:
            return StepEnd::GaveUp;
        }
    }
}

} // namespace umbrix
