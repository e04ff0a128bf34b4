#include "charger_api/reply_rules.h"
#include "fuzz_input.h"
#include "provisioning/verify_rules.h"

// The stage decides only between the failures.
static bool verifyPassed(bool httpOk, const QString &reply)
{
    using namespace provisioning;
    return classifyVerifyReply(httpOk, reply, VerifyStage::BeforeWrite) == VerifyOutcome::Passed;
}

// Each judge with one of its positive words right after a negation.
static const struct
{
    bool (*accepted)(bool, const QString &);
    const char *negatedTail;
} judges[] = {{charger_api::runCommandAccepted, " not ok"},
              {charger_api::rebootCommandAccepted, " cannot reboot"},
              {charger_api::setValueAccepted, " no set ok"},
              {verifyPassed, " never verified"}};

static void checkReply(const QString &reply)
{
    for (const auto &judge : judges) {
        require(!judge.accepted(false, reply), "nothing is accepted without HTTP success");
        require(judge.accepted(true, reply) ||
                    !judge.accepted(true, reply + QLatin1String(judge.negatedTail)),
                "a positive word right after a negation does not count");
    }
    require(reply.contains(charger_api::settingValueFromReply(reply)), "a value is in its reply");
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = charger_api::replyTextFromBody(
        QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    require(text.isValidUtf16(), "a reply text holds no lone surrogate");
    checkReply(text);
    return checkTexts(data, size, checkReply);
}
