#include "notices.h"

#include "prompts.h"

void ShowNotices(const Notices& notices) {
    for (const Notice& notice : notices) ShowMessage(notice.text, notice.caption);
}
