/* The LCD backlight as clients see it through \\.\LCD: the three backlight requests of
 * ntddvdeo.h, answered from state that tests script through LcdSimControl.h. */
#include "SimDevice.h"
#include "LcdSimControl.h"

#include <ntddvdeo.h>

SIM_STATIC_ASSERT(sizeof(DISPLAY_BRIGHTNESS) == sizeof(LCDSIM_BRIGHTNESS));

static void lcdReset(void* state) {
    LCDSIM_STATE* lcd = state;
    ULONG i;
    RtlZeroMemory(lcd, sizeof *lcd);
    lcd->levelCount = LCDSIM_DEFAULT_LEVEL_COUNT;
    for (i = 0; i < LCDSIM_DEFAULT_LEVEL_COUNT; ++i) {
        lcd->levels[i] = (UCHAR)(i * LCDSIM_DEFAULT_LEVEL_STEP);
    }
    lcd->current.policy = LCDSIM_DEFAULT_POLICY;
    lcd->current.ac = LCDSIM_DEFAULT_AC;
    lcd->current.dc = LCDSIM_DEFAULT_DC;
}

static NTSTATUS querySupported(LCDSIM_STATE* lcd, UCHAR* buffer, ULONG outLength,
                               ULONG_PTR* information) {
    if (lcd->failures[LCDSIM_QUERY_SUPPORTED]) {
        return lcd->failures[LCDSIM_QUERY_SUPPORTED];
    }
    if (outLength < lcd->levelCount) {
        return STATUS_BUFFER_TOO_SMALL;
    }
    RtlCopyMemory(buffer, lcd->levels, lcd->levelCount);
    *information = lcd->levelCount;
    return STATUS_SUCCESS;
}

static NTSTATUS queryCurrent(LCDSIM_STATE* lcd, DISPLAY_BRIGHTNESS* buffer, ULONG outLength,
                             ULONG_PTR* information) {
    if (lcd->failures[LCDSIM_QUERY_CURRENT]) {
        return lcd->failures[LCDSIM_QUERY_CURRENT];
    }
    if (outLength < sizeof(DISPLAY_BRIGHTNESS)) {
        return STATUS_BUFFER_TOO_SMALL;
    }
    buffer->ucDisplayPolicy = lcd->current.policy;
    buffer->ucACBrightness = lcd->current.ac;
    buffer->ucDCBrightness = lcd->current.dc;
    *information = sizeof(DISPLAY_BRIGHTNESS);
    return STATUS_SUCCESS;
}

static NTSTATUS setCurrent(LCDSIM_STATE* lcd, const DISPLAY_BRIGHTNESS* record, ULONG inLength) {
    ++lcd->setRequests;
    if (lcd->failures[LCDSIM_SET]) {
        return lcd->failures[LCDSIM_SET];
    }
    if (inLength < sizeof(DISPLAY_BRIGHTNESS) || record->ucDisplayPolicy < DISPLAYPOLICY_AC ||
        record->ucDisplayPolicy > DISPLAYPOLICY_BOTH) {
        return STATUS_INVALID_PARAMETER;
    }
    if (record->ucDisplayPolicy & DISPLAYPOLICY_AC) {
        lcd->current.ac = record->ucACBrightness;
    }
    if (record->ucDisplayPolicy & DISPLAYPOLICY_DC) {
        lcd->current.dc = record->ucDCBrightness;
    }
    lcd->lastSet.policy = record->ucDisplayPolicy;
    lcd->lastSet.ac = record->ucACBrightness;
    lcd->lastSet.dc = record->ucDCBrightness;
    ++lcd->setCount;
    return STATUS_SUCCESS;
}

static NTSTATUS lcdControl(void* state, ULONG code, void* buffer, ULONG inLength, ULONG outLength,
                           ULONG_PTR* information) {
    LCDSIM_STATE* lcd = state;
    switch (code) {
    case IOCTL_VIDEO_QUERY_SUPPORTED_BRIGHTNESS:
        return querySupported(lcd, buffer, outLength, information);
    case IOCTL_VIDEO_QUERY_DISPLAY_BRIGHTNESS:
        return queryCurrent(lcd, buffer, outLength, information);
    case IOCTL_VIDEO_SET_DISPLAY_BRIGHTNESS:
        return setCurrent(lcd, buffer, inLength);

    case LCDSIM_IOCTL_SET_LEVELS:
        if (inLength > LCDSIM_MAX_LEVELS) {
            return STATUS_INVALID_PARAMETER;
        }
        RtlCopyMemory(lcd->levels, buffer, inLength);
        lcd->levelCount = inLength;
        return STATUS_SUCCESS;
    case LCDSIM_IOCTL_SET_CURRENT:
        if (inLength != sizeof(LCDSIM_BRIGHTNESS)) {
            return STATUS_INVALID_PARAMETER;
        }
        RtlCopyMemory(&lcd->current, buffer, sizeof(LCDSIM_BRIGHTNESS));
        return STATUS_SUCCESS;
    case LCDSIM_IOCTL_SET_FAILURE: {
        const LCDSIM_FAILURE* failure = buffer;
        if (inLength != sizeof(LCDSIM_FAILURE) || failure->request >= LCDSIM_REQUEST_COUNT) {
            return STATUS_INVALID_PARAMETER;
        }
        lcd->failures[failure->request] = failure->status;
        return STATUS_SUCCESS;
    }
    case LCDSIM_IOCTL_GET_STATE:
        if (outLength < sizeof(LCDSIM_STATE)) {
            return STATUS_BUFFER_TOO_SMALL;
        }
        RtlCopyMemory(buffer, lcd, sizeof(LCDSIM_STATE));
        *information = sizeof(LCDSIM_STATE);
        return STATUS_SUCCESS;
    default:
        return STATUS_INVALID_DEVICE_REQUEST;
    }
}

const SimDeviceClass LcdDeviceClass = {
    LCDSIM_DEVICE_NAME,   LCDSIM_PUBLIC_LINK, LCDSIM_CONTROL_LINK, "LCD", FILE_DEVICE_VIDEO,
    sizeof(LCDSIM_STATE), lcdReset,           lcdControl,
};
