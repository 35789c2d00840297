'''UDisks2 as far as the drive window mounts through it: the manager resolves a device node to its block
object, whose file system mounts, or refuses as that drive is set to.'''
import os

import dbus
import dbusmock

BUS_NAME = 'org.freedesktop.UDisks2'
MAIN_OBJ = '/org/freedesktop/UDisks2/Manager'
MAIN_IFACE = 'org.freedesktop.UDisks2.Manager'
SYSTEM_BUS = True

BLOCKS = '/org/freedesktop/UDisks2/block_devices/'
ERROR = 'org.freedesktop.UDisks2.Error.'
# What mounting the disc in each drive gives: its mount point, or the error the service names.
MOUNTS = {'sr0': '/media/user/DISC', 'sr1': ERROR + 'NotAuthorizedCanObtain', 'sr2': ERROR + 'Failed',
          'sr3': ERROR + 'AlreadyMounted'}


def resolve(_self, devspec, _options):
    name = os.path.basename(str(devspec.get('path', '')))
    return dbus.Array([dbus.ObjectPath(BLOCKS + name)] if name in MOUNTS else [], signature='o')


def mount(outcome):
    if outcome.startswith(ERROR):
        raise dbus.exceptions.DBusException('refused by the test', name=outcome)
    return outcome


def load(mock, _parameters):
    mock.AddMethod(MAIN_IFACE, 'ResolveDevice', 'a{sv}a{sv}', 'ao', resolve)
    for name, outcome in MOUNTS.items():
        mock.AddObject(BLOCKS + name, 'org.freedesktop.UDisks2.Block', {}, [])
        dbusmock.get_object(BLOCKS + name).AddMethod('org.freedesktop.UDisks2.Filesystem', 'Mount', 'a{sv}', 's',
                                                     lambda _self, _options, outcome=outcome: mount(outcome))
