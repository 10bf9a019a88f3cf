/* The stand-in driver image: one kernel service whose devices stand in for the machine's own
 * (the LCD backlight, later the platform driver). One image keeps a session start at one
 * service start; each device is a SimDeviceClass in its own file, listed in the table below.
 * Wine loads the image in its winedevice host. */
#include "SimDevice.h"
#include "SimControl.h"

#ifndef SIM_IMAGE_TAG
#define SIM_IMAGE_TAG "kestrelsim"
#endif

extern const SimDeviceClass LcdDeviceClass;

static const SimDeviceClass* const deviceClasses[] = {
    &LcdDeviceClass,
};

typedef struct SimDeviceExtension {
    const SimDeviceClass* deviceClass;
    KMUTEX lock;
    BOOLEAN present;
    BOOLEAN controlLinked;
    ULONGLONG state[]; /* deviceClass->stateSize bytes */
} SimDeviceExtension;

static void copyName(char* target, const char* source) {
    ULONG i = 0;
    for (; source[i] && i + 1 < SIM_NAME_SIZE; ++i) {
        target[i] = source[i];
    }
    target[i] = 0;
}

static NTSTATUS createLink(const WCHAR* link, const WCHAR* target) {
    UNICODE_STRING linkName;
    UNICODE_STRING targetName;
    RtlInitUnicodeString(&linkName, link);
    RtlInitUnicodeString(&targetName, target);
    return IoCreateSymbolicLink(&linkName, &targetName);
}

static void deleteLink(const WCHAR* link) {
    UNICODE_STRING linkName;
    RtlInitUnicodeString(&linkName, link);
    IoDeleteSymbolicLink(&linkName);
}

static NTSTATUS setPresent(SimDeviceExtension* extension, BOOLEAN present) {
    const SimDeviceClass* deviceClass = extension->deviceClass;
    if (present == extension->present) {
        return STATUS_SUCCESS;
    }
    if (present) {
        NTSTATUS status = createLink(deviceClass->publicLink, deviceClass->deviceName);
        if (!NT_SUCCESS(status)) {
            return status;
        }
    } else {
        deleteLink(deviceClass->publicLink);
    }
    extension->present = present;
    return STATUS_SUCCESS;
}

static NTSTATUS genericControl(SimDeviceExtension* extension, ULONG code, void* buffer,
                               ULONG inLength, ULONG outLength, ULONG_PTR* information) {
    switch (code) {
    case SIM_IOCTL_GET_INFO: {
        SIM_INFO* info = buffer;
        if (outLength < sizeof(SIM_INFO)) {
            return STATUS_BUFFER_TOO_SMALL;
        }
        RtlZeroMemory(info, sizeof(SIM_INFO));
        info->version = SIM_INFO_VERSION;
        info->present = extension->present;
        copyName(info->image, SIM_IMAGE_TAG);
        copyName(info->device, extension->deviceClass->publicName);
        *information = sizeof(SIM_INFO);
        return STATUS_SUCCESS;
    }
    case SIM_IOCTL_RESET:
        extension->deviceClass->reset(extension->state);
        return setPresent(extension, TRUE);
    case SIM_IOCTL_SET_PRESENT:
        if (inLength != sizeof(ULONG)) {
            return STATUS_INVALID_PARAMETER;
        }
        return setPresent(extension, *(const ULONG*)buffer != 0);
    default:
        return extension->deviceClass->control(extension->state, code, buffer, inLength, outLength,
                                               information);
    }
}

static NTSTATUS complete(IRP* irp, NTSTATUS status, ULONG_PTR information) {
    irp->IoStatus.Status = status;
    irp->IoStatus.Information = NT_ERROR(status) ? 0 : information;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return status;
}

static NTSTATUS NTAPI openOrClose(DEVICE_OBJECT* device, IRP* irp) {
    UNREFERENCED_PARAMETER(device);
    return complete(irp, STATUS_SUCCESS, 0);
}

static NTSTATUS NTAPI deviceControl(DEVICE_OBJECT* device, IRP* irp) {
    SimDeviceExtension* extension = device->DeviceExtension;
    const IO_STACK_LOCATION* stack = IoGetCurrentIrpStackLocation(irp);
    const ULONG code = stack->Parameters.DeviceIoControl.IoControlCode;
    ULONG_PTR information = 0;
    NTSTATUS status;

    /* Every request of the device is buffered; others would hand over user addresses. */
    if (METHOD_FROM_CTL_CODE(code) != METHOD_BUFFERED) {
        return complete(irp, STATUS_INVALID_DEVICE_REQUEST, 0);
    }
    KeWaitForSingleObject(&extension->lock, Executive, KernelMode, FALSE, NULL);
    status = genericControl(extension, code, irp->AssociatedIrp.SystemBuffer,
                            stack->Parameters.DeviceIoControl.InputBufferLength,
                            stack->Parameters.DeviceIoControl.OutputBufferLength, &information);
    KeReleaseMutex(&extension->lock, FALSE);
    return complete(irp, status, information);
}

static void deleteDevice(DEVICE_OBJECT* device) {
    SimDeviceExtension* extension = device->DeviceExtension;
    if (extension->present) {
        deleteLink(extension->deviceClass->publicLink);
    }
    if (extension->controlLinked) {
        deleteLink(extension->deviceClass->controlLink);
    }
    IoDeleteDevice(device);
}

static void NTAPI unload(DRIVER_OBJECT* driver) {
    while (driver->DeviceObject) {
        deleteDevice(driver->DeviceObject);
    }
}

static NTSTATUS createDevice(DRIVER_OBJECT* driver, const SimDeviceClass* deviceClass) {
    UNICODE_STRING name;
    DEVICE_OBJECT* device = NULL;
    SimDeviceExtension* extension;
    NTSTATUS status;

    RtlInitUnicodeString(&name, deviceClass->deviceName);
    status = IoCreateDevice(driver, sizeof(SimDeviceExtension) + deviceClass->stateSize, &name,
                            deviceClass->deviceType, 0, FALSE, &device);
    if (!NT_SUCCESS(status)) {
        return status;
    }
    extension = device->DeviceExtension;
    RtlZeroMemory(extension, sizeof(SimDeviceExtension) + deviceClass->stateSize);
    extension->deviceClass = deviceClass;
    KeInitializeMutex(&extension->lock, 0);
    deviceClass->reset(extension->state);
    device->Flags |= DO_BUFFERED_IO;

    status = createLink(deviceClass->controlLink, deviceClass->deviceName);
    if (NT_SUCCESS(status)) {
        extension->controlLinked = TRUE;
        status = setPresent(extension, TRUE);
    }
    device->Flags &= ~DO_DEVICE_INITIALIZING;
    return status;
}

NTSTATUS NTAPI DriverEntry(DRIVER_OBJECT* driver, UNICODE_STRING* registryPath) {
    ULONG i;
    UNREFERENCED_PARAMETER(registryPath);

    driver->MajorFunction[IRP_MJ_CREATE] = openOrClose;
    driver->MajorFunction[IRP_MJ_CLEANUP] = openOrClose;
    driver->MajorFunction[IRP_MJ_CLOSE] = openOrClose;
    driver->MajorFunction[IRP_MJ_DEVICE_CONTROL] = deviceControl;
    driver->DriverUnload = unload;

    for (i = 0; i < sizeof deviceClasses / sizeof deviceClasses[0]; ++i) {
        NTSTATUS status = createDevice(driver, deviceClasses[i]);
        if (!NT_SUCCESS(status)) {
            unload(driver);
            return status;
        }
    }
    return STATUS_SUCCESS;
}
